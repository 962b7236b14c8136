#!/bin/sh
# Sets everything up, builds and runs the benchmarks (the live preview's on a virtual display, Xvfb).
#   tools/bench.sh [OPTIONS...]      the Google Benchmark suite, medians of 5 (Google Benchmark options apply)
#   tools/bench.sh compare [ROUNDS]  lumidot-render side by side with a Pillow script and an ImageMagick
#                                    pipeline doing the same job, whole processes, medians of ROUNDS (7);
#                                    a one-letter lumidot-render beside a Qt program that only prints a
#                                    letter; lumidot-render's time step by step for each output
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh

# Packages only the benchmarks need; the tests never do.
need() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
}

need libbenchmark-dev xvfb xauth
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIDOT_BUILD_TESTS=OFF -DLUMIDOT_BUILD_BENCH=ON
if [ "${1:-}" = compare ]; then
    need python3-pil imagemagick
    cmake --build build-bench --target lumidot-render lumidot_renderphases lumidot_startupfloor
    # Debian's own Python, which has python3-pil, whatever else is first on the PATH.
    exec /usr/bin/python3 bench/compare.py --render build-bench/lumidot-render \
        --phases build-bench/bench/lumidot_renderphases --floor build-bench/bench/lumidot_startupfloor --runs "${2:-7}"
fi
if [ "${1:-}" = scroll ]; then
    need python3-pil
    cmake --build build-bench --target lumidot_bench lumidot_scrolljob
    job=$(mktemp -d)
    trap 'rm -rf "$job"' EXIT
    build-bench/bench/lumidot_scrolljob "$job"
    /usr/bin/python3 bench/pillow_scroll.py "$job" --bench build-bench/bench/lumidot_bench --rounds "${2:-5}"
    exit
fi
cmake --build build-bench --target lumidot_bench lumidot_previewbench
build-bench/bench/lumidot_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
xvfb-run -a -s "-screen 0 1920x1080x24" build-bench/bench/lumidot_previewbench
