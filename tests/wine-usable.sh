#!/usr/bin/env bash
# Says whether this machine can run the Windows programs of one architecture under Wine: x64
# through Debian's wine64, x86 through wine32, which some kernels refuse (they run no 32-bit
# executable at all) and which a mirror does not always offer in step with the system.
# Usage: wine-usable.sh x64|x86. Exit 0 when it can; else prints why and exits 1.
source "$(dirname "$0")/common/windows.sh"
case ${1:-} in
    x64) package=wine64 ;;
    x86) package=wine32:i386 ;;
    *) echo "usage: wine-usable.sh x64|x86"; exit 1 ;;
esac
loader=$(wine_loader "$1")
if [ ! -x "$loader" ] || ! command -v wineserver >/dev/null 2>&1; then
    echo "Wine's loader for $1 programs ($loader) is not installed (Debian: apt install wine $package)"
    exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
    echo "This machine cannot run $loader ($("$loader" --version 2>&1 | tail -n 1)), so Wine cannot run the $1 Windows build here"
    exit 1
fi
