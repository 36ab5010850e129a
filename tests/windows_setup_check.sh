#!/usr/bin/env bash
# Runs the Windows setup program under Wine, in a prefix of its own: installs an older copy with
# files this version no longer ships, installs over it silently, checks the files, shortcut,
# file type and Add/Remove Programs entry, opens a saved reading through the file type; while
# that copy runs, a silent setup and uninstaller must refuse and change nothing; then uninstalls
# silently and checks that nothing of ours is left and the user's files are. Last, the same for a
# per-user install (/CurrentUser), which must not touch HKLM or Program Files. Throughout, an
# uninstaller planted where HKCU points must never run, no setup installs outside Program Files
# (per machine) or the user's programs folder (per user), a mutex of the program's name that
# another program took first blocks nothing, and a .boa type of another program stays its own.
# Usage: windows_setup_check.sh BUILD_DIR DIST
#   BUILD_DIR is the Windows build the setup was made in (its identity and architecture);
#   DIST holds its PACKAGE-VERSION-winNN-setup.exe and windows-ARCH/PRODUCT/.
# Needs wine, makensis, cmake, Xvfb, xdotool, ps (procps) and MinGW-w64's C compiler. Runs on the
# Wine loader of the build's architecture: skips (77) for a 32-bit build where that cannot run,
# fails for a 64-bit one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
nsi=$here/../packaging/windows/bodyastro.nsi
build=$(cd "$1" && pwd)
dist=$(cd "$2" && pwd)
source "$here/common/gui.sh"
source "$here/common/windows.sh"
fail() { echo "FAIL: $*"; exit 1; }
load_product "$build"
use_wine "$windows_arch"
setup="$dist/$package_name-$product_version-win$windows_bits-setup.exe"
[ -f "$setup" ] || fail "no $setup"
version=$product_version
folder="$dist/windows-$windows_arch/$product_name"
[ -f "$folder/bodyastro.exe" ] || fail "no program folder $folder"
[ "$(pe_arch "$setup")" = "$windows_arch" ] || fail "the setup program is not an $windows_arch program"
work=$(mktemp -d)
xvfb=""
cleanup() {
    wineserver -k 2>/dev/null || true
    stop_xvfb || true
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all HOME=$work/home
# No menu entries or file types for the host's desktop; no Mono or Gecko to fetch.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
mkdir -p "$HOME"
# A display from the start: Wine's desktop process keeps the one it first started with.
sandbox=$work
fail() { echo "FAIL: $*"; cat "$work/xvfb.log" 2>/dev/null; exit 1; }
start_xvfb
wineboot -i 2>/dev/null && wineserver -w

status=0
fail() { echo "FAIL: $*"; status=1; }
# reg_value KEY [NAME]: the value (the key's default without NAME), or nothing.
reg_value() {
    local which=(/ve)
    [ $# -lt 2 ] || which=(/v "$2")
    wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
expect_value() { # KEY NAME EXPECTED
    local found
    found=$(reg_value "$1" ${2:+"$2"})
    [ "$found" = "$3" ] || fail "$1 ${2:-(default)} is '$found', not '$3'"
}
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$package_name"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"

# What any program of the user can do unelevated: point HKCU's entry at a folder of its own with
# an uninstall.exe in it (this one leaves "ran" beside itself when run).
compiler=x86_64-w64-mingw32-gcc
[ "$windows_arch" = x64 ] || compiler=i686-w64-mingw32-gcc
"$compiler" -municode -mwindows -O2 -o "$work/planted.exe" "$here/windows/planted.c"
planted="$WINEPREFIX/drive_c/planted"
mkdir "$planted" && cp "$work/planted.exe" "$planted/uninstall.exe"
wine reg add "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$package_name" /v InstallLocation /d 'C:\planted' /f >/dev/null
untouched_plant() {
    [ ! -e "$planted/ran" ] || fail "$1 ran the planted uninstaller"
    [ "$(ls "$planted")" = uninstall.exe ] || fail "$1 installed into the planted folder: $(ls "$planted")"
}

# An older version whose folder held a plug-in and a library that this one does not ship.
old="$work/old/Corvane Body Astrology"
mkdir -p "$work/old" && cp -r "$folder" "$old"
mkdir "$old/imageformats" && echo stale >"$old/imageformats/qjpeg.dll" && echo stale >"$old/libold-1.dll"
cmake -DSOURCE_DIR="$old" -DOUTPUT="$work/old/files.nsh" -P "$here/../packaging/windows/setup-files.cmake"
makensis -V1 "-XSetCompress off" -DVERSION=0.9 -DPRODUCT_NSH="$build/packaging/windows/product.nsh" \
    -DSOURCE_DIR="$old" -DFILES_NSH="$work/old/files.nsh" \
    -DOUTFILE="$work/old/CorvaneBodyAstrology-0.9-setup.exe" "$nsi"
wine "$work/old/CorvaneBodyAstrology-0.9-setup.exe" /S || fail "the older setup program failed"
old_place=$(winepath -u "$(reg_value "$uninstall_key" InstallLocation)")
[ -f "$old_place/libold-1.dll" ] || { echo "FAIL: the older copy did not install"; exit 1; }
untouched_plant "the per-machine setup"

echo "== no folder outside the install's own place =="
for mode in /AllUsers /CurrentUser; do
    wine "$setup" /S $mode '/D=C:\Apps\Body' && fail "the setup ($mode) accepted C:\Apps\Body"
done
[ ! -e "$WINEPREFIX/drive_c/Apps" ] || fail "the setup wrote into C:\Apps"

echo "== install $version over 0.9, while another program holds the old running-check's mutex =="
wine "$work/planted.exe" hold "Global\\${package_name}Running" "$(winepath -w "$work/held")" &
holder=$!
for _ in $(seq 100); do [ -e "$work/held" ] && break; sleep 0.1; done
[ -e "$work/held" ] || fail "the mutex was not created"
wine "$setup" /S || fail "the setup program exited with $?"
rm -f "$work/held" && wait "$holder"
install_location=$(reg_value "$uninstall_key" InstallLocation)
# The 64-bit program in the 64-bit Program Files (its registry view is the one reg.exe reads).
[ "$windows_arch" = x86 ] || [ "$install_location" = "C:\\Program Files\\$product_name" ] ||
    fail "the 64-bit program went to '$install_location'"
installed=$(winepath -u "$install_location")
# Exactly the program's folder and the uninstaller: nothing stale from 0.9.
differences=$(diff -r "$folder" "$installed" || true)
[ "$differences" = "Only in $installed: uninstall.exe" ] || fail "installed files differ: $differences"
grep -qa 'bodyastro.exe' "$start_menu/Corvane Body Astrology.lnk" || fail "no Start menu shortcut to bodyastro.exe"

exe="$install_location\\bodyastro.exe"
expect_value "$uninstall_key" DisplayName "Corvane Body Astrology"
expect_value "$uninstall_key" DisplayVersion "$version"
expect_value "$uninstall_key" Publisher "Corvane Software"
expect_value "$uninstall_key" DisplayIcon "\"$exe\",0"
expect_value "$uninstall_key" UninstallString "\"$install_location\\uninstall.exe\""
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
[ "$quiet" = "\"$install_location\\uninstall.exe\" /S" ] || fail "quiet uninstall command is '$quiet'"
kilobytes=$(( ($(find "$folder" -type f -printf '%s+') 0 + 1023) / 1024 ))
expect_value "$uninstall_key" EstimatedSize "$(printf '0x%x' "$kilobytes")"
progid=$(reg_value 'HKLM\Software\Classes\.boa')
[ -n "$progid" ] || fail ".boa has no file type"
expect_value "HKLM\\Software\\Classes\\$progid" "" "Body astrology reading"
expect_value "HKLM\\Software\\Classes\\$progid\\DefaultIcon" "" "\"$exe\",0"
expect_value "HKLM\\Software\\Classes\\$progid\\shell\\open\\command" "" "\"$exe\" \"%1\""

echo "== open a saved reading through its file type =="
documents="$WINEPREFIX/drive_c/users/$(whoami)/Documents"
reading="my reading $$.boa"
mkdir -p "$documents"
cp "$here/../fuzz/corpus/readingfile/ann-7-march-1990.boa" "$documents/$reading"
(cd "$documents" && wine start "$reading")
# The input window, then the reading's window over it; and the file on the command line.
opened=""
for _ in $(seq 60); do
    windows=$( (xdotool search --name '^Corvane Body Astrology' 2>/dev/null || true) | wc -l)
    if [ "$windows" -ge 2 ] && ps -eo args | grep -F 'bodyastro.exe' | grep -qF "$reading"; then
        opened=yes
        break
    fi
    sleep 1
done
[ -n "$opened" ] || fail "opening $reading did not start the program with the reading"

echo "== setup and uninstaller while the program runs =="
# A fingerprint of the folder: every file's path and content.
fingerprint() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }
before=$(fingerprint "$installed")
wine "$setup" /S && fail "the setup program over a running copy exited with 0"
# _? keeps the uninstaller in place, so that its own exit status is seen; it must come last and
# unquoted, as only a batch file passes it.
printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$install_location" "$install_location" >"$work/uninstall.bat"
wine cmd /c "$(winepath -w "$work/uninstall.bat")" && fail "the uninstaller of a running copy exited with 0"
[ "$(fingerprint "$installed")" = "$before" ] || fail "files changed while the program ran"
expect_value "$uninstall_key" DisplayVersion "$version"
wineserver -k && wineserver -w || true
# Ended by force, the program leaves its lock behind; ended as a user ends it, it does not.
lock_folder() { find "$WINEPREFIX/drive_c/users" -ipath '*/appdata/local/corvane software/bodyastro' 2>/dev/null; }
drop_stale_lock() { local folder; folder=$(lock_folder); [ -z "$folder" ] || rm -f "$folder"/*.lock; }
drop_stale_lock

echo "== uninstall =="
# A reading the user saved into the program's folder.
echo mine >"$installed/saved here.boa"
uninstaller=${quiet#\"}
uninstaller=${uninstaller%%\"*}
wine "$uninstaller" /S || fail "the uninstaller exited with $?"
# It runs on from a copy in the temporary folder: wait for that to end.
wineserver -w
left=$( (cd "$installed" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ') || true)
[ "$left" = "./saved here.boa " ] || fail "the program's folder holds '$left', not just the user's file"
[ -f "$documents/$reading" ] || fail "the user's reading was removed"
[ ! -e "$start_menu/Corvane Body Astrology.lnk" ] || fail "the Start menu shortcut is left"
for key in "$uninstall_key" 'HKLM\Software\Classes\.boa' "HKLM\\Software\\Classes\\$progid"; do
    ! key_exists "$key" || fail "the key $key is left"
done
key_exists 'HKCU\Software\Corvane Software\bodyastro' || fail "the user's stored setting was removed"
[ -z "$(lock_folder)" ] || fail "the user's empty lock folder is left: $(lock_folder)"

echo "== per-user install (/CurrentUser) =="
machine_left=$(cd "$installed" && find . -mindepth 1 | sort)
wine "$setup" /S /CurrentUser || fail "the per-user setup exited with $?"
user_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$package_name"
user_location=$(reg_value "$user_key" InstallLocation)
case "$user_location" in
*'\AppData\Local\Programs\Corvane Body Astrology') ;;
*) fail "the per-user install went to '$user_location'" ;;
esac
user_installed=$(winepath -u "$user_location")
untouched_plant "the per-user setup"
[ -f "$user_installed/bodyastro.exe" ] || fail "no program in $user_installed"
for key in "$uninstall_key" 'HKLM\Software\Classes\.boa' "HKLM\\Software\\Classes\\$progid"; do
    ! key_exists "$key" || fail "the per-user setup wrote $key"
done
[ "$(cd "$installed" && find . -mindepth 1 | sort)" = "$machine_left" ] || fail "the per-user setup changed $installed"
[ ! -e "$start_menu/Corvane Body Astrology.lnk" ] || fail "the per-user setup made a shortcut for everyone"
user_shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name 'Corvane Body Astrology.lnk')
[ -n "$user_shortcut" ] || fail "no Start menu shortcut for the user"
expect_value 'HKCU\Software\Classes\.boa' "" "$progid"
user_command=$(reg_value "HKCU\\Software\\Classes\\$progid\\shell\\open\\command")
[ "$user_command" = "\"$user_location\\bodyastro.exe\" \"%1\"" ] || fail "the per-user open command is '$user_command'"
# Wine's HKEY_CLASSES_ROOT leaves out the user's own classes, so `start` cannot find a per-user
# type: the registered command is run as Windows would run it.
(cd "$documents" && wine "$user_location\\bodyastro.exe" "$(winepath -w "$documents/$reading")" >/dev/null 2>&1 &)
opened=""
for _ in $(seq 60); do
    if ps -eo args | grep -F 'bodyastro.exe' | grep -qF "$reading"; then
        opened=yes
        break
    fi
    sleep 1
done
[ -n "$opened" ] || fail "opening $reading did not start the per-user copy"
wineserver -k && wineserver -w || true
drop_stale_lock
user_quiet=$(reg_value "$user_key" QuietUninstallString)
user_uninstaller=${user_quiet#\"}
user_uninstaller=${user_uninstaller%%\"*}
wine "$user_uninstaller" /S || fail "the per-user uninstaller exited with $?"
wineserver -w
[ ! -e "$user_installed" ] || fail "the per-user folder is left: $(find "$user_installed")"
for key in "$user_key" 'HKCU\Software\Classes\.boa' "HKCU\\Software\\Classes\\$progid"; do
    ! key_exists "$key" || fail "the key $key is left"
done
[ ! -e "$user_shortcut" ] || fail "the user's Start menu shortcut is left"
[ -z "$(lock_folder)" ] || fail "the user's empty lock folder is left: $(lock_folder)"

echo "== .boa owned by another program =="
rm -f "$installed/saved here.boa"
other() { expect_value 'HKLM\Software\Classes\.boa' "" Other.Reading; }
offered() { wine reg query 'HKLM\Software\Classes\.boa\OpenWithProgids' /v "$progid" >/dev/null 2>&1; }
wine reg add 'HKLM\Software\Classes\.boa' /ve /d Other.Reading /f >/dev/null
wine "$setup" /S || fail "the setup program exited with $?"
other
offered || fail "the program is not offered under Open with"
wine "$uninstaller" /S || fail "the uninstaller exited with $?"
wineserver -w
other
! offered || fail "the program is left under Open with"

[ $status -eq 0 ] && echo "setup program: installs over 0.9, opens a reading, refuses while it runs, uninstalls cleanly; the same per user; planted, outside and foreign ones refused"
exit $status
