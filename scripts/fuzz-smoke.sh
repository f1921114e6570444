#!/bin/sh
# Runs every fuzz target for a short bounded time (FUZZ_SMOKE_SECONDS, default
# 20) so that the targets keep building and running; exits non-zero when any
# target crashes, hangs or leaks (the input is kept in fuzz/findings/TARGET/).
set -e
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SECS="${FUZZ_SMOKE_SECONDS:-20}"
failed=""
for t in db_image sql holder_import viewer_results country_chars wsjtx_datagram; do
    echo "fuzz smoke: $t (${SECS}s)"
    if ! sh "$ROOT/scripts/fuzz.sh" "$t" "$SECS" >"${TMPDIR:-/tmp}/fuzz-smoke-$t.log" 2>&1; then
        tail -n 40 "${TMPDIR:-/tmp}/fuzz-smoke-$t.log"
        failed="$failed $t"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz smoke failed:$failed" >&2
    exit 1
fi
echo "fuzz smoke: all targets ran clean"
