#!/usr/bin/env bash
# Runs a test program of the Windows build under Wine (CTest's emulator for the cross build).
# Usage: wine-run.sh PROGRAM.exe [arguments]
# The environment comes from CTest: WINEPREFIX (a private prefix made by the wine_prefix test),
# WINEPATH (the Qt DLLs). Wine keeps variables that begin with QT_ from Windows programs but
# hands WINEQT_X over as QT_X, so each QT_ variable is passed that way. A Qt Test program's
# plain-text log does not reach a pipe under Wine (it goes to the debugger channel), so it is
# written to a file and printed from there.
set -uo pipefail
# Skipped (77), saying why, on a machine where Wine cannot run the 32-bit build.
if ! why=$("$(dirname "$0")/wine-usable.sh"); then
    echo "SKIP: $why"
    exit 77
fi
program=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
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
