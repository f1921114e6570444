#!/bin/sh
# Installs what is missing, builds, creates the log database in the current
# directory when there is none, and starts the log window there.
set -e
HERE="$(pwd)"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
sh "$ROOT/scripts/build.sh"
cd "$HERE"
if [ ! -e db_default.sib ]; then
    "$ROOT/build/bin/tramb-db" init
fi
exec "$ROOT/build/bin/tramb"
