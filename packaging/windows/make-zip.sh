#!/bin/sh
# Zips a folder the same way every time: entries in name order, no owners or extra times
# (zip -X), and DOS times, which are local times, taken in UTC.
# Usage: make-zip.sh FOLDER OUTPUT.zip   (run in FOLDER's parent)
set -eu
command -v zip >/dev/null || { echo "zip was not found (Debian: apt install zip)" >&2; exit 1; }
rm -f "$2"
find "$1" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$2" -@
