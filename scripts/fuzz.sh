#!/bin/sh
# Builds the libFuzzer targets with clang (build-fuzz/, separate from the main
# build) and runs one of them for a bounded time:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET: db_image sql holder_import viewer_results country_chars wsjtx_datagram
# The corpus is tests/data/fuzz/TARGET/corpus (kept out of git) seeded from
# tests/data/fuzz/TARGET/seeds; a crashing, hanging or leaking input is written to
# fuzz/findings/TARGET/ (not replayed by the tests until the fault is mended and
# the input moved to tests/data/fuzz/TARGET/crashes) and the script exits non-zero.
set -e
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
TARGET="$1"
SECONDS_TO_RUN="${2:-60}"
[ -n "$TARGET" ] || { echo "usage: $0 TARGET SECONDS [libFuzzer options]" >&2; exit 2; }
shift; [ $# -gt 0 ] && shift
BUILD="${TRAMB_FUZZ_BUILD:-$ROOT/build-fuzz}"
DATA="$ROOT/tests/data/fuzz/$TARGET"
[ -d "$DATA/seeds" ] || { echo "no seeds for fuzz target '$TARGET' in $DATA" >&2; exit 2; }

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT/fuzz" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# One build at a time: two runs started together wait for each other here.
flock "$BUILD/.build-lock" cmake --build "$BUILD" -j"${TRAMB_FUZZ_JOBS:-2}" --target "fuzz_$TARGET" >/dev/null

FINDINGS="$ROOT/fuzz/findings/$TARGET"
mkdir -p "$DATA/corpus" "$FINDINGS"
# The targets' scratch databases (45 MB each) go to a directory of this run,
# removed at the end whatever happens to the target.
SCRATCH="$(mktemp -d "${TMPDIR:-/dev/shm}/tramb-fuzzrun-XXXXXX")"
trap 'rm -rf "$SCRATCH"' EXIT INT TERM
export TMPDIR="$SCRATCH"

# Leak detection stays on: each input frees what it allocated, so the
# fuzzer's second run of an input that seems to leak stays rare. The
# allocator keeps no allocation stacks and a quarantine of freed memory of
# 4 MB (a few inputs' worth): the default stacks and 256 MB quarantine
# cost more than the targets themselves (unwinding and a stack depot on every
# allocation, and memory handed out long after it left the cache). Replay a
# finding with ASAN_OPTIONS=malloc_context_size=30 for the whole stacks. Inputs grow
# to -max_len at once (-len_control=0): an image input carries up to 64
# patches. Each input gets a generous -timeout, so that only a real hang
# reaches it on a slow or loaded machine.
status=0
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=0:quarantine_size_mb=4:allocator_may_return_null=1:max_malloc_fill_size=0}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    "$BUILD/fuzz_$TARGET" -max_total_time="$SECONDS_TO_RUN" -timeout=120 -rss_limit_mb=3072 \
    -report_slow_units=60 -max_len=4096 -len_control=0 -print_final_stats=1 \
    -artifact_prefix="$FINDINGS/" "$@" \
    "$DATA/corpus" "$DATA/seeds" || status=$?
exit $status
