#!/bin/sh
# Builds the project with gcc's coverage counters into build-cov/, runs the
# whole test suite there and prints line and branch coverage per library.
#   scripts/coverage.sh            # build, run, report
#   scripts/coverage.sh --report   # report on the counters of the last run
set -e
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
failed=0
sh scripts/deps.sh
command -v gcovr >/dev/null 2>&1 || {
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq gcovr
}
if [ "$1" != "--report" ]; then
    cmake -S . -B build-cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRAMB_COVERAGE=ON \
        -DTRAMB_BENCH=OFF >/dev/null
    cmake --build build-cov -j"$(nproc)"
    find build-cov -name '*.gcda' -delete
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
    # A failing test still leaves its counters: report them, then fail.
    ctest --test-dir build-cov --output-on-failure -j"$(nproc)" || failed=1
fi
# One pass over the counters, then one summary per library from its JSON.
gcovr -r "$ROOT" build-cov --json -o build-cov/coverage.json \
    --exclude-unreachable-branches --exclude-throw-branches \
    --filter "$ROOT/src/" --filter "$ROOT/tools/"
printf '%-10s %8s %8s\n' library lines branches
for lib in platform kernel schema records rig wsjtx logwindow admin app tools; do
    case $lib in tools) dir="tools/" ;; *) dir="src/$lib/" ;; esac
    gcovr -r "$ROOT" -a build-cov/coverage.json --filter "$ROOT/$dir" --print-summary \
        -o "build-cov/summary-$lib.txt" | awk -v lib="$lib" '
        /^lines:/    { l = $2 }
        /^branches:/ { b = $2 }
        END          { printf "%-10s %8s %8s\n", lib, l, b }'
done
exit $failed
