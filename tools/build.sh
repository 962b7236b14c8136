#!/bin/sh
# Configures Lumidot in build/ and builds the targets named (tools/build.sh lumidot), or, without a
# name, everything: the programs, the tests and the fuzz targets the tests replay.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ $# -eq 0 ]; then
    cmake --build build
else
    cmake --build build --target "$@"
fi
