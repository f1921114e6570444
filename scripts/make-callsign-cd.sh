#!/bin/sh
# Lays out a call-sign CD: a folder holding the licence list EN0103.DAT and
# the viewer VIEWER1.EXE at its root, and an ISO 9660 image of that folder
# (Rock Ridge, so the names keep their case and the viewer stays executable).
#
#   scripts/make-callsign-cd.sh [-d EN-data-file] [-b build-dir] OUTDIR
#
# gives OUTDIR/callsign-cd/ and OUTDIR/callsign.iso. Defaults: the sample
# holders in data/EN0103.DAT and the viewer built in build/bin. Mount the
# image with
#   sudo mount -o loop,ro OUTDIR/callsign.iso /mnt/cd
# (an iso9660 entry in /proc/mounts, which is where the log looks for discs).
set -e
here="$(cd "$(dirname "$0")/.." && pwd)"
data="$here/data/EN0103.DAT"
build="$here/build"
while getopts d:b: opt; do
    case $opt in
        d) data="$OPTARG" ;;
        b) build="$OPTARG" ;;
        *) echo "usage: $0 [-d EN-data-file] [-b build-dir] OUTDIR" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { echo "usage: $0 [-d EN-data-file] [-b build-dir] OUTDIR" >&2; exit 2; }
out="$1"
viewer="$build/bin/VIEWER1.EXE"
[ -f "$data" ] || { echo "$0: no data file $data" >&2; exit 1; }
if [ ! -x "$viewer" ]; then
    echo "$0: building the viewer in $build" >&2
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$here" -B "$build" -G Ninja >/dev/null
    cmake --build "$build" --target VIEWER1.EXE >/dev/null
fi
folder="$out/callsign-cd"
rm -rf "$folder"
mkdir -p "$folder"
cp "$data" "$folder/EN0103.DAT"
cp "$viewer" "$folder/VIEWER1.EXE"
chmod 444 "$folder/EN0103.DAT"
chmod 555 "$folder/VIEWER1.EXE"
if command -v genisoimage >/dev/null 2>&1; then
    genisoimage -quiet -R -J -V TXCALLSIGN -o "$out/callsign.iso" "$folder"
    echo "$folder"
    echo "$out/callsign.iso"
else
    echo "$folder"
    echo "$0: genisoimage not installed, no image made" >&2
fi
