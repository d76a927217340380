#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer (clang)
# into build-asan/ and runs every test there: a memory fault, a leak or undefined behaviour in a
# reader or codec fails the run.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-asan"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKARVELO_SANITIZE=ON -DKARVELO_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
cd "$BUILD"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j "$(nproc)" --timeout 300
