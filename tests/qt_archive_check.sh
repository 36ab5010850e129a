#!/usr/bin/env bash
# The Windows build takes only a Qt archive the project lists: CI's cached ones, 64-bit and 32-bit,
# pass (where they are beside the repository), and the same archive with one byte changed, or any
# other, is refused.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
check=$repo/scripts/check-qt-archive.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "not a Qt" >"$work/other.tar.xz"
if "$check" "$work/other.tar.xz" 2>"$work/said"; then echo "FAIL: an unlisted archive was taken"; exit 1; fi
grep -q "scripts/build-qt-windows.sh" "$work/said" || { echo "FAIL: the refusal does not say how to build one"; exit 1; }

for bits in 64 32; do
    listed=$repo/../shared/toolchains/qt5.15-mingw$bits.tar.xz
    if [ ! -f "$listed" ]; then
        echo "SKIP: no cached Qt archive at $listed to compare with"
        exit 77
    fi
    "$check" "$listed" >/dev/null || { echo "FAIL: the listed archive $listed was refused"; exit 1; }
done
cp "$listed" "$work/changed.tar.xz"
printf '\x55' | dd of="$work/changed.tar.xz" bs=1 seek=1000000 conv=notrunc status=none
if "$check" "$work/changed.tar.xz" 2>/dev/null; then echo "FAIL: an archive with one changed byte was taken"; exit 1; fi
echo "PASS"
