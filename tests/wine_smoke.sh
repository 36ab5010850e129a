#!/usr/bin/env bash
# The real Windows program under Wine, with Qt's windows platform, on an X server of its own:
# a reading from the keyboard, saved to a .boa file through the Windows save dialog, Back, the
# file handed to the running copy by a second start (the named pipe), the stored setting checked
# in the registry, File > Exit, and no lock left behind; then a portable copy (the marker file
# beside the program), below a folder that looks like a Qt, that saves a reading and leaves
# nothing in the registry or application data. Runs on the Wine
# loader of the build's architecture: a 32-bit build skips (77) where that cannot run, a 64-bit
# one fails. With SMOKE_SHOTS=FOLDER it also writes screenshots of the input window and the
# reading there, at SMOKE_DPI dots per inch (96 is 100 %, 144 is 150 %).
# Usage: tests/wine_smoke.sh BUILD_DIR   (the program is installed from it into a folder of its own)
set -uo pipefail
build=$(cd "$1" && pwd)
dpi=${SMOKE_DPI:-96}
shots=${SMOKE_SHOTS:-}
[ -n "$shots" ] && shots=$(mkdir -p "$shots" && cd "$shots" && pwd)
source "$(dirname "$0")/common/gui.sh"
source "$(dirname "$0")/common/windows.sh"

sandbox=$(mktemp -d)
# Wine links the user's Documents folder to the home folder: a private one here.
export WINEPREFIX=$sandbox/prefix WINEDEBUG=-all HOME=$sandbox/home
mkdir -p "$HOME"
pid="" xvfb=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    wineserver -k 2>/dev/null
    stop_xvfb
    rm -rf "$sandbox"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- X server log:"; cat "$sandbox/xvfb.log" 2>/dev/null
    echo "--- program output:"; cat "$sandbox/app.log" "$sandbox/second.log" 2>/dev/null
    exit 1
}

load_product "$build"
use_wine "$windows_arch"
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || fail "$tool missing (Debian: apt install xvfb xdotool)"
done
folder=$sandbox/program
cmake --install "$build" --prefix "$folder" >/dev/null || fail "cmake --install"
start_xvfb

wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a Wine prefix"
if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
fi
wineserver -w
# The user's documents: Wine 8 links them to $HOME, Wine 10 makes a folder in the prefix.
readings=$(cd "$WINEPREFIX/drive_c/users/$(id -un)/Documents" && pwd -P)

shot() { # NAME WINDOW
    [ -z "$shots" ] || screenshot "$2" "$shots/$1-wine$([ "$dpi" != 96 ] && echo "-$((dpi * 100 / 96))").png"
}

# A reading of NAME (lower case) from the keyboard in input window $1, saved as NAME.boa through
# the save dialog (the Windows one, or Qt's own in a portable copy), which starts in the user's
# documents although the program was started in its own folder; the result window stays, as
# $result. With a third argument, the screenshots are taken on the way.
save_reading() { # INPUT NAME [shots]
    focus_window "$1"
    xdotool type --delay 50 "$2"
    # Tab to "Find Sun Sign" (after the four lists) and tick it.
    xdotool key --delay 50 Tab Tab Tab Tab Tab space
    [ -z "${3:-}" ] || shot input-window "$1"
    xdotool key alt+b
    result=$(wait_for_window "$caption_pattern" "$1" "$pid") || fail "the result window did not replace the input window"
    echo "result window: $result"
    focus_window "$result"
    [ -z "${3:-}" ] || shot reading "$result"
    # Print builds the report; its Save asks for the file.
    xdotool key alt+p
    sleep 0.5
    xdotool key alt+s
    dialog=$(wait_for_window "^$product_name\$") || fail "the save dialog did not appear"
    focus_window "$dialog"
    xdotool type --delay 30 "$2.boa"
    xdotool key Return
    for _ in $(seq 1 100); do [ -s "$readings/$2.boa" ] && break; sleep 0.1; done
    [ -s "$readings/$2.boa" ] || fail "the reading was not saved"
    echo "saved: $(wc -c <"$readings/$2.boa") bytes"
}

cd "$folder"
# Started from no console (as from Explorer or a shortcut), the command line answers in a message
# box titled with the program's name: --version, and a mistake of the program's own (two files).
for arguments in "--version" "a.boa b.boa"; do
    # shellcheck disable=SC2086
    wine start bodyastro.exe $arguments
    box=$(wait_for_window '^bodyastro$') || fail "bodyastro $arguments showed no message box"
    focus_window "$box"
    xdotool key Return
    wait_until_hidden '^bodyastro$' "$box" || fail "the box of bodyastro $arguments did not close"
    echo "bodyastro $arguments: answered in a message box"
done

wine bodyastro.exe >"$sandbox/app.log" 2>&1 &
pid=$!
input=$(wait_for_window "$caption_pattern" "" "$pid") || fail "the input window did not appear"
echo "input window: $input"
save_reading "$input" ann shots

# Back to the input window; then a second start hands the file to this copy and ends.
focus_window "$result"
xdotool key alt+b
wait_until_hidden "$caption_pattern" "$result" || fail "Back did not close the reading"
timeout 60 wine bodyastro.exe "$(winepath -w "$readings/ann.boa")" >"$sandbox/second.log" 2>&1
status=$?
[ $status -eq 0 ] || fail "the second start ended with status $status"
reopened=$(wait_for_window "$caption_pattern" "$input" "$pid") || fail "the running copy did not open the handed-over file"
echo "reopened in the running copy: $reopened"
kill -0 "$pid" 2>/dev/null || fail "the first copy ended"

# The stored setting: in the registry under the program's name, scrambled.
settings=$(wine reg query 'HKCU\Software\Corvane Software\bodyastro\Settings' 2>/dev/null | tr -d '\r')
echo "$settings" | grep -q 'REG_SZ' || fail "no stored setting in the registry: $settings"
echo "$settings" | grep -qi 'duration' && fail "the setting's name is stored in plain text: $settings"
echo "$settings" | grep -qE '[0-9]{1,4}[/.-][0-9]{1,2}[/.-][0-9]{1,4}' && fail "a plain date is stored: $settings"

# File > Exit through the menu's access keys, in window $1; the lock goes with the program.
exit_program() {
    focus_window "$1"
    exit_by_menu "$pid"
    pid=""
    lock=$(find "$WINEPREFIX/drive_c/users" "$sandbox/portable" -name 'bodyastro*.lock' 2>/dev/null)
    [ -z "$lock" ] || fail "the lock was left behind: $lock"
}
exit_program "$reopened"

# The portable copy, started in its own folder: its setting in an INI file there, its lock beside
# it while it runs, nothing in the registry or the user's application data, its save dialog
# included (Qt's dialogs keep their folders under HKCU\Software\QtProject).
wine reg delete 'HKCU\Software\Corvane Software' /f >/dev/null 2>&1
wine reg delete 'HKCU\Software\QtProject' /f >/dev/null 2>&1
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Local/"Corvane Software"
cp -r "$folder" "$sandbox/portable" && : >"$sandbox/portable/$portable_marker"
# Unpacked beside what looks like a Qt (lib\libQt5Core.a), it still takes Qt's plug-ins from its
# own folder, never a broken one from there.
mkdir -p "$sandbox/lib" "$sandbox/plugins/platforms" && : >"$sandbox/lib/libQt5Core.a"
{ printf 'XX'; tail -c +3 "$folder/platforms/qwindows.dll"; } >"$sandbox/plugins/platforms/qwindows.dll"
cd "$sandbox/portable"
wine bodyastro.exe >"$sandbox/app.log" 2>&1 &
pid=$!
window=$(wait_for_window "$caption_pattern" "" "$pid") || fail "the portable copy showed no window"
compgen -G "$sandbox/portable/bodyastro*.lock" >/dev/null || fail "the portable copy keeps its lock elsewhere"
save_reading "$window" bea
exit_program "$result"
grep -qi 'duration' "$sandbox/portable/Corvane Software/bodyastro.ini" 2>/dev/null \
    && fail "the setting's name is stored in plain text"
[ -s "$sandbox/portable/Corvane Software/bodyastro.ini" ] || fail "no setting beside the portable copy"
wine reg query 'HKCU\Software\Corvane Software' >/dev/null 2>&1 && fail "the portable copy wrote to the registry"
wine reg query 'HKCU\Software\QtProject' >/dev/null 2>&1 && fail "the portable copy's dialog wrote to the registry"
left=$(find "$WINEPREFIX/drive_c/users" -ipath '*/appdata/*' \( -name 'Corvane Software' -o -iname 'bodyastro*' \) 2>/dev/null)
[ -z "$left" ] || fail "the portable copy left $left"
echo "portable copy: setting beside it, nothing in the registry or application data"

# An installed copy runs beside a portable one: a file given to the portable copy opens there,
# never in the installed copy (which keeps its dialogs' folders in the registry).
window_of() { xdotool search --all --onlyvisible --pid "$1" --name "$caption_pattern" 2>/dev/null | sort; }
wine "$folder/bodyastro.exe" >"$sandbox/installed.log" 2>&1 &
installed=$!
wait_for_window "$caption_pattern" "" "$installed" >/dev/null || fail "the installed copy showed no window"
wine bodyastro.exe >"$sandbox/app.log" 2>&1 &
pid=$!
before=$(window_of "$installed")
for _ in $(seq 1 100); do [ -n "$(window_of "$pid")" ] && break; sleep 0.1; done
shown=$(window_of "$pid")
timeout 60 wine bodyastro.exe "$(winepath -w "$readings/bea.boa")" >"$sandbox/second.log" 2>&1
sleep 3
[ "$(window_of "$installed")" = "$before" ] || fail "the portable copy handed its file to the installed copy"
# The reading's window takes the input window's place.
[ "$(window_of "$pid")" != "$shown" ] || fail "the reading did not open in the portable copy"
kill "$installed" 2>/dev/null
echo "wine smoke test passed"
