#!/bin/sh
# Makes the portable zip of the program's folder: the folder with the marker that keeps the
# program's setting and lock beside it (MARKER), zipped the same way every time:
# entries in name order, no owners or extra times (zip -X), every file dated by the commit, and
# the DOS times, which are local times, taken in UTC.
# Usage: make-zip.sh FOLDER OUTPUT.zip SOURCE_DATE_EPOCH MARKER   (run in FOLDER's parent)
set -eu
command -v zip >/dev/null || { echo "zip was not found (Debian: apt install zip)" >&2; exit 1; }
output=$(realpath -m "$2")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -a "$1" "$stage/"
: >"$stage/$1/$4"
find "$stage" -exec touch -h -d "@$3" {} +
rm -f "$output"
cd "$stage"
find "$1" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$output" -@
