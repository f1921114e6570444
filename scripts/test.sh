#!/bin/sh
# Builds everything and runs every test; then builds the layers below the
# windows again with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# their tests. Exits non-zero on any failure.
set -e
cd "$(dirname "$0")/.."
sh scripts/build.sh
# Test databases go to /dev/shm when present: every field write is a synchronous flush.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
ctest --test-dir build --output-on-failure -j"$(nproc)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAMB_CORE_ONLY=ON -DTRAMB_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

if [ -x scripts/fuzz-smoke.sh ]; then scripts/fuzz-smoke.sh; fi
echo "All tests passed."
