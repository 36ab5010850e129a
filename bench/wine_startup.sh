#!/usr/bin/env bash
# Start-up of the 64-bit Windows program under wine64 against bench_plainwindow, whole
# processes turn about: each timed from its start until the probe plug-in (startupprobe.cpp)
# reports the first paint, and until the process has ended. Everything runs in a folder of its
# own: a Wine prefix, an X server, the program installed from its build folder, and the plain
# window program beside copies of the same DLLs, so both load Qt from identical files.
# Usage: bench/wine_startup.sh PROGRAM_BUILD BENCH_BUILD [TURNS, default 21]
#   PROGRAM_BUILD  the Windows build of the program (scripts/build-windows.sh --arch x64 ...)
#   BENCH_BUILD    a second configure of the same sources with -DBODYASTRO_BUILD_BENCHMARKS=ON,
#                  of which only bench_plainwindow and bodyastro_startupprobe are built
# BENCH_COLD=1 lets the Wine server (and its desktop process) end before every start, as for
# the first Windows program of a session. BENCH_WINEDEBUG=+loaddll,+timestamp instead writes one traced start of each to the folder
# BENCH_TRACE_DIR (default: the current one) and times nothing.
set -euo pipefail
program_build=$(cd "$1" && pwd)
bench_build=$(cd "$2" && pwd)
turns=${3:-21}
wine=/usr/lib/wine/wine64
sandbox=$(mktemp -d)
# shellcheck source=tests/common/gui.sh
source "$(dirname "$0")/../tests/common/gui.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
cleanup() {
    WINEPREFIX=$sandbox/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$sandbox"
}
trap cleanup EXIT

cmake --install "$program_build" --prefix "$sandbox/program" >/dev/null
cp -r "$sandbox/program" "$sandbox/plain"
rm "$sandbox/plain/bodyastro.exe"
cp "$bench_build/bench/bench_plainwindow.exe" "$sandbox/plain/"
mkdir -p "$sandbox/plugins/generic"
cp "$bench_build/bench/plugins/generic/"*.dll "$sandbox/plugins/generic/"

export WINEPREFIX=$sandbox/prefix HOME=$sandbox/home WINEDEBUG=-all
mkdir -p "$HOME" "$WINEPREFIX"
start_xvfb
# Otherwise one Wine server for all starts, as on a desktop where Wine is already running.
[ -n "${BENCH_COLD:-}" ] || /usr/lib/wine/wineserver -p
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a Wine prefix"
# Wine hands variables that begin with QT_ to Windows programs only under a WINE prefix.
export WINEQT_PLUGIN_PATH="Z:${sandbox//\//\\}\\plugins" WINEQT_QPA_GENERIC_PLUGINS=bodyastro-startup-probe

micros() { local t=${1/./}; echo $((10#$t)); }

# time_start EXE: "<ms to first paint> <ms to the end>" of one start.
time_start() {
    local start painted="" line=""
    [ -z "${BENCH_COLD:-}" ] || /usr/lib/wine/wineserver -w
    start=$(micros "$EPOCHREALTIME")
    {
        read -r line && painted=$(micros "$EPOCHREALTIME")
        cat >/dev/null
    } < <(cd "$(dirname "$1")" && exec "$wine" "$1" 2>/dev/null)
    wait $! 2>/dev/null || true
    [[ $line == painted* ]] || fail "$1 reported no paint"
    echo "$(((painted - start) / 1000)) $((($(micros "$EPOCHREALTIME") - start) / 1000))"
}

programs=("$sandbox/program/bodyastro.exe" "$sandbox/plain/bench_plainwindow.exe")
# The first start of each is not counted: the program writes its setting, files are cached.
for exe in "${programs[@]}"; do time_start "$exe" >/dev/null; done
if [ -n "${BENCH_WINEDEBUG:-}" ]; then
    for exe in "${programs[@]}"; do
        WINEDEBUG=$BENCH_WINEDEBUG "$wine" "$exe" 2>"${BENCH_TRACE_DIR:-.}/$(basename "$exe" .exe).trace" >/dev/null
    done
    exit 0
fi

: >"$sandbox/program.times" && : >"$sandbox/plain.times"
for turn in $(seq 1 "$turns"); do
    read -r p pe < <(time_start "${programs[0]}")
    read -r b be < <(time_start "${programs[1]}")
    if [ -z "${p:-}" ] || [ -z "${b:-}" ]; then fail "a start in turn $turn reported no paint"; fi
    echo "$p $pe" >>"$sandbox/program.times"
    echo "$b $be" >>"$sandbox/plain.times"
    echo "turn $turn: program $p ms (ended $pe), plain window $b ms (ended $be)"
done

# median FILE COLUMN; spread FILE COLUMN: the middle value; the lowest and highest.
median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
spread() { cut -d' ' -f"$2" "$1" | sort -n | sed -n '1p;$p' | paste -sd- -; }
for column in 1 2; do
    what=$([ $column = 1 ] && echo "to first paint" || echo "to the end")
    p=$(median "$sandbox/program.times" $column) b=$(median "$sandbox/plain.times" $column)
    echo "$what, medians of $turns: program $p ms ($(spread "$sandbox/program.times" $column))," \
        "plain window $b ms ($(spread "$sandbox/plain.times" $column)):" \
        "$(awk -v p="$p" -v b="$b" 'BEGIN {printf "%+d ms, %.2fx", p - b, p / b}')"
done
paste -d' ' "$sandbox/program.times" "$sandbox/plain.times" | awk '{print $1 - $3}' >"$sandbox/differences"
echo "program minus plain window, turn by turn, to first paint: median $(median "$sandbox/differences" 1) ms" \
    "($(spread "$sandbox/differences" 1))"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
