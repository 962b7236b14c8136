#!/bin/sh
# Sets everything up, builds and runs the whole test suite headless.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure

# The same suite built again with AddressSanitizer and UndefinedBehaviorSanitizer: any report fails it.
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure
