#!/bin/sh
# Sets everything up, builds the benchmark suite and runs it (medians of 5 repetitions).
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed" || {
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends libbenchmark-dev
}
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIDOT_BUILD_TESTS=OFF -DLUMIDOT_BUILD_BENCH=ON
cmake --build build-bench --target lumidot_bench
build-bench/bench/lumidot_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
