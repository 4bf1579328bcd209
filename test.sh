#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine and runs every test: unit, module and end-to-end tests, then
# the whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer (with the monkey, the damaged game folder
# and long rounds), the music player's tests under ThreadSanitizer, then short runs of the fuzz targets.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
build_game
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2

werror=OFF
[ -n "${CI:-}" ] && werror=ON

# Warnings are shown but not fatal here: the instrumented -O1 code trips GCC's flow warnings (format
# truncation and the like) on lines the warnings-as-errors build above proves clean.
ASAN_DIR="$QUILL_ROOT/build-asan"
cmake -S "$QUILL_ROOT" -B "$ASAN_DIR" -DCMAKE_BUILD_TYPE=None -DQUILL_ASAN=ON -DQUILL_WERROR=OFF >/dev/null
cmake --build "$ASAN_DIR" -j2 --target quill_tests quillmere-sim quill_monkey quill_damage quill_long_rounds
UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir "$ASAN_DIR" --output-on-failure -j2

TSAN_DIR="$QUILL_ROOT/build-tsan"
cmake -S "$QUILL_ROOT" -B "$TSAN_DIR" -DCMAKE_BUILD_TYPE=Debug -DQUILL_TSAN=ON -DQUILL_WERROR=$werror >/dev/null
cmake --build "$TSAN_DIR" -j2 --target music_thread_tests
TSAN_OPTIONS=halt_on_error=1 "$TSAN_DIR/tests/music_thread_tests"

FUZZ_DIR="$QUILL_ROOT/build-fuzz"
CC=clang CXX=clang++ cmake -S "$QUILL_ROOT" -B "$FUZZ_DIR" -DQUILL_FUZZ=ON -DQUILL_WERROR=$werror >/dev/null
cmake --build "$FUZZ_DIR" -j2
ctest --test-dir "$FUZZ_DIR" --output-on-failure
