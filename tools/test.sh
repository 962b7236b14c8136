#!/bin/sh
# Sets everything up, builds and runs the whole test suite headless.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
