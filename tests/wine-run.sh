#!/usr/bin/env bash
# Runs a test program of the Windows build under Wine (CTest's emulator for the cross build),
# with the loader for the program's architecture, or makes the tests' Wine prefix.
# Usage: wine-run.sh PROGRAM.exe [arguments]  |  wine-run.sh --new-prefix x64|x86
# The environment comes from CTest: WINEPREFIX (a private prefix made by the wine_prefix test),
# WINEPATH (the Qt DLLs). Wine keeps variables that begin with QT_ from Windows programs but
# hands WINEQT_X over as QT_X, so each QT_ variable is passed that way. A Qt Test program's
# plain-text log does not reach a pipe under Wine (it goes to the debugger channel), so it is
# written to a file and printed from there.
set -uo pipefail
source "$(dirname "$0")/common/windows.sh"
export WINEDEBUG=${WINEDEBUG:--all}
if [ "${1:-}" = --new-prefix ]; then
    use_wine "$2"
    rm -rf "$WINEPREFIX" && wineboot -i && wineserver -w
    exit
fi
program=$1
shift
arch=$(pe_arch "$program") || { echo "FAIL: $program is not a Windows program"; exit 1; }
use_wine "$arch"
while IFS='=' read -r name value; do
    [[ $name == QT_* ]] && export "WINE$name=$value"
done < <(env)

log=""
if [ "${1:-}" != "-functions" ] && ! printf '%s\n' "$@" | grep -qx -- '-o'; then
    log=$(mktemp --suffix=.txt)
    set -- "$@" -o "$log,txt"
fi
wine "$program" "$@"
status=$?
if [ -n "$log" ]; then
    cat "$log"
    rm -f "$log"
fi
exit $status
