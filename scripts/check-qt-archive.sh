#!/usr/bin/env bash
# Takes a Qt archive for the Windows build only if scripts/qt-windows.sha256 lists its SHA-256,
# i.e. scripts/build-qt-windows.sh made it from Debian's patched Qt sources; prints that SHA-256.
# Usage: scripts/check-qt-archive.sh ARCHIVE
set -euo pipefail
archive=$1
list=$(dirname "$0")/qt-windows.sha256
[ -f "$archive" ] || { echo "No Qt archive at $archive" >&2; exit 1; }
sum=$(sha256sum <"$archive" | cut -d' ' -f1)
if ! grep -q "^$sum " "$list"; then
    echo "Refused: $archive (SHA-256 $sum) is not a Qt archive listed in scripts/qt-windows.sha256." >&2
    echo "Build one from Debian's patched Qt sources with scripts/build-qt-windows.sh (as root, about" >&2
    echo "30 minutes) and list its SHA-256 there, or set QT_MINGW_DIR to an unpacked Qt of your own." >&2
    exit 1
fi
echo "$sum"
