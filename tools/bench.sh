#!/bin/sh
# Sets everything up, builds the benchmark suite and runs it (medians of 5 repetitions), then the live
# preview's benchmark on a virtual display (Xvfb).
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
missing=""
for package in libbenchmark-dev xvfb xauth; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIDOT_BUILD_TESTS=OFF -DLUMIDOT_BUILD_BENCH=ON
cmake --build build-bench --target lumidot_bench lumidot_previewbench
build-bench/bench/lumidot_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
xvfb-run -a -s "-screen 0 1920x1080x24" build-bench/bench/lumidot_previewbench
