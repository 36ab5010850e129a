# Sourced by the scripts that check or run the Windows build on this machine (the tests' runner,
# the Wine smoke test, the setup check, the deploy check).
windows_tests=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# pe_arch FILE: x64 or x86, from the machine field of a Windows program's (PE) header.
pe_arch() {
    local offset machine
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 1
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case $machine in
        8664) echo x64 ;;
        014c) echo x86 ;;
        *) return 1 ;;
    esac
}

# use_wine ARCH: wine, wineboot and winepath run ARCH's Wine loader from here on. Where that
# loader cannot run, the calling script ends: skipped (77) for x86, which some machines' kernels
# refuse and whose Wine a mirror does not always offer; failed (1) for x64, which runs on every
# machine this project builds on, so that its tests can never pass by skipping.
use_wine() {
    local why
    if ! why=$("$windows_tests/wine-usable.sh" "$1"); then
        [ "$1" = x86 ] && { echo "SKIP: $why"; exit 77; }
        echo "FAIL: $why"
        exit 1
    fi
    export WINELOADER
    WINELOADER=$(wine_loader "$1")
    PATH=$windows_tests/common/wine-bin:$PATH
}

# wine_loader ARCH: the path of Debian's Wine loader for ARCH.
wine_loader() {
    case $1 in
        x64) echo /usr/lib/wine/wine64 ;;
        *) echo /usr/lib/wine/wine ;;
    esac
}

# build_test_helpers FOLDER ARCH NAME...: builds each tests/windows/NAME.c for ARCH with MinGW-w64
# into FOLDER/NAME.exe; as_user runs programs through FOLDER/limited.exe.
build_test_helpers() {
    local compiler=x86_64-w64-mingw32-gcc name
    test_helpers=$1
    [ "$2" = x64 ] || compiler=i686-w64-mingw32-gcc
    shift 2
    for name; do
        "$compiler" -municode -O2 -o "$test_helpers/$name.exe" "$windows_tests/windows/$name.c" || return 1
    done
}

# as_user WINDOWS_PROGRAM ARGUMENT...: runs the program as a standard user's program runs, and
# as_admin as "Run as administrator" does (windows/limited.c: Wine 8 starts everything with an
# administrator's full rights, Wine 10 with the limited token), for its exit code. The arguments
# reach it as they are, so that /D= and _?= can stay unquoted.
as_user() {
    local program=$1
    shift
    wine "$test_helpers/limited.exe" "\"$program\" $*"
}
as_admin() {
    local program=$1
    shift
    wine "$test_helpers/limited.exe" --full "\"$program\" $*"
}

# click_through PID: answers a setup's or uninstaller's pages with Enter (the default button:
# Next, Install, Finish) until the process PID ends; fails after 3 minutes.
click_through() {
    local window
    for _ in $(seq 180); do
        kill -0 "$1" 2>/dev/null || return 0
        window=$(xdotool search --onlyvisible --name ' (Setup|Uninstall) *$' 2>/dev/null | tail -1) || true
        [ -z "$window" ] || xdotool windowfocus "$window" key Return 2>/dev/null || true
        sleep 1
    done
    return 1
}
