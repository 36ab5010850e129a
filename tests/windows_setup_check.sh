#!/usr/bin/env bash
# Runs the Windows setup program under Wine, in a prefix of its own: installs an older copy with
# files this version no longer ships, installs over it silently, checks the files, shortcut,
# file type and Add/Remove Programs entry, opens a saved reading through the file type; while
# that copy runs, a silent setup and uninstaller must refuse and change nothing; then uninstalls
# silently and checks that nothing of ours is left and the user's files are. Then the same per
# user (/CurrentUser), which must not touch HKLM or Program Files, started as a standard user's
# program is, and with an administrator's full rights, with which the per-user setup and
# uninstaller refuse (windows/limited.c: Wine 8 starts everything with the full token, Wine 10
# with the limited one, and each links the other). Last, for everyone from a
# standard user's start: raised through the administrator prompt, into the folder /D= names.
# Throughout, an uninstaller planted where HKCU points (outside the user's programs folder or
# inside it) never runs with an administrator's rights, no setup installs outside Program Files
# (per machine) or the user's programs folder (per user), and another program's file type stays
# its own.
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
exe=$executable.exe suffix=.$reading_suffix
[ -f "$folder/$exe" ] || fail "no program folder $folder"
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
user_key="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$package_name"
classes="HKLM\\Software\\Classes" user_classes="HKCU\\Software\\Classes"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"

build_test_helpers "$work" "$windows_arch" planted limited
setup_w=$(winepath -w "$setup")
# What any program of the user can do unelevated: point HKCU's entry at a folder of its own with
# an uninstall.exe in it (planted.c leaves "ran" beside itself when run).
plant() { # FOLDER
    mkdir -p "$1" && cp "$work/planted.exe" "$1/uninstall.exe"
    wine reg add "$user_key" /v InstallLocation /d "$(winepath -w "$1")" /f >/dev/null
}
planted="$WINEPREFIX/drive_c/planted"
untouched_plant() { # WHO [FOLDER]
    local where=${2:-$planted}
    [ ! -e "$where/ran" ] || fail "$1 ran the planted uninstaller"
    [ "$(ls "$where")" = uninstall.exe ] || fail "$1 installed into the planted folder: $(ls "$where")"
}
# in_place_uninstall FOLDER (Windows): the uninstaller kept in place by _?=, so that its own exit
# status is seen; it must come last and unquoted, as only a batch file passes it.
in_place_uninstall() { # [as_admin] FOLDER
    local run=wine
    [ "$1" != as_admin ] || { run=as_admin && shift; }
    printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$1" "$1" >"$work/uninstall.bat"
    $run cmd /c "$(winepath -w "$work/uninstall.bat")"
}

echo "== for one user with an administrator's rights: refused, the planted uninstaller not run =="
planted_inside="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Programs/Planted"
plant "$planted_inside"
code=0 && as_admin "$setup_w" /S /CurrentUser || code=$?
[ $code -eq 5 ] || fail "the per-user setup with an administrator's rights exited with $code, not 5"
untouched_plant "the per-user setup with an administrator's rights" "$planted_inside"
plant "$planted"

# An older version whose folder held a plug-in and a library that this one does not ship.
old="$work/old/$product_name"
mkdir -p "$work/old" && cp -r "$folder" "$old"
mkdir "$old/imageformats" && echo stale >"$old/imageformats/qjpeg.dll" && echo stale >"$old/libold-1.dll"
cmake -DSOURCE_DIR="$old" -DOUTPUT="$work/old/files.nsh" -P "$here/../packaging/windows/setup-files.cmake"
makensis -V1 -WX "-XSetCompress off" -DVERSION=0.9 -DPRODUCT_NSH="$build/packaging/windows/product.nsh" \
    -DSOURCE_DIR="$old" -DFILES_NSH="$work/old/files.nsh" \
    -DOUTFILE="$work/old/$package_name-0.9-setup.exe" "$nsi"
wine "$work/old/$package_name-0.9-setup.exe" /S || fail "the older setup program failed"
old_place=$(winepath -u "$(reg_value "$uninstall_key" InstallLocation)")
[ -f "$old_place/libold-1.dll" ] || { echo "FAIL: the older copy did not install"; exit 1; }
untouched_plant "the per-machine setup"

echo "== no folder outside the install's own place =="
wine "$setup" /S /AllUsers '/D=C:\Apps\Body' && fail "the setup (/AllUsers) accepted C:\Apps\Body"
as_user "$setup_w" /S /CurrentUser '/D=C:\Apps\Body' && fail "the setup (/CurrentUser) accepted C:\Apps\Body"
[ ! -e "$WINEPREFIX/drive_c/Apps" ] || fail "the setup wrote into C:\Apps"

echo "== install $version over 0.9 =="
wine "$setup" /S || fail "the setup program exited with $?"
install_location=$(reg_value "$uninstall_key" InstallLocation)
# The 64-bit program in the 64-bit Program Files (its registry view is the one reg.exe reads).
[ "$windows_arch" = x86 ] || [ "$install_location" = "C:\\Program Files\\$product_name" ] ||
    fail "the 64-bit program went to '$install_location'"
installed=$(winepath -u "$install_location")
# Exactly the program's folder and the uninstaller: nothing stale from 0.9.
differences=$(diff -r "$folder" "$installed" || true)
[ "$differences" = "Only in $installed: uninstall.exe" ] || fail "installed files differ: $differences"
grep -qa "$exe" "$start_menu/$product_name.lnk" || fail "no Start menu shortcut to $exe"

exe_path="$install_location\\$exe"
expect_value "$uninstall_key" DisplayName "$product_name"
expect_value "$uninstall_key" DisplayVersion "$version"
expect_value "$uninstall_key" Publisher "$product_publisher"
expect_value "$uninstall_key" DisplayIcon "\"$exe_path\",0"
expect_value "$uninstall_key" UninstallString "\"$install_location\\uninstall.exe\""
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
[ "$quiet" = "\"$install_location\\uninstall.exe\" /S" ] || fail "quiet uninstall command is '$quiet'"
kilobytes=$(( ($(find "$folder" -type f -printf '%s+') 0 + 1023) / 1024 ))
expect_value "$uninstall_key" EstimatedSize "$(printf '0x%x' "$kilobytes")"
progid=$(reg_value "$classes\\$suffix")
[ -n "$progid" ] || fail "$suffix has no file type"
expect_value "$classes\\$progid" "" "Body astrology reading"
expect_value "$classes\\$progid\\DefaultIcon" "" "\"$exe_path\",0"
expect_value "$classes\\$progid\\shell\\open\\command" "" "\"$exe_path\" \"%1\""

echo "== open a saved reading through its file type =="
documents="$WINEPREFIX/drive_c/users/$(whoami)/Documents"
reading="my reading $$$suffix"
mkdir -p "$documents"
cp "$here/../fuzz/corpus/readingfile/ann-7-march-1990.boa" "$documents/$reading"
(cd "$documents" && wine start "$reading")
# The input window, then the reading's window over it; and the file on the command line.
opened=""
for _ in $(seq 60); do
    windows=$( (xdotool search --name "^$product_name" 2>/dev/null || true) | wc -l)
    if [ "$windows" -ge 2 ] && ps -eo args | grep -F "$exe" | grep -qF "$reading"; then
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
in_place_uninstall "$install_location" && fail "the uninstaller of a running copy exited with 0"
[ "$(fingerprint "$installed")" = "$before" ] || fail "files changed while the program ran"
expect_value "$uninstall_key" DisplayVersion "$version"
wineserver -k && wineserver -w || true
# Ended by force, the program leaves its lock behind; ended as a user ends it, it does not.
lock_folder() { find "$WINEPREFIX/drive_c/users" -ipath "*/appdata/local/$product_publisher/$executable" 2>/dev/null; }
drop_stale_lock() { local folder; folder=$(lock_folder); [ -z "$folder" ] || rm -f "$folder"/*.lock; }
drop_stale_lock

echo "== uninstall =="
# A reading the user saved into the program's folder.
echo mine >"$installed/saved here$suffix"
uninstaller=${quiet#\"}
uninstaller=${uninstaller%%\"*}
as_user "$uninstaller" /S || fail "the uninstaller exited with $?"
# It runs on from a copy in the temporary folder, raised through the prompt: wait for that to end.
wineserver -w
left=$( (cd "$installed" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ') || true)
[ "$left" = "./saved here$suffix " ] || fail "the program's folder holds '$left', not just the user's file"
[ -f "$documents/$reading" ] || fail "the user's reading was removed"
[ ! -e "$start_menu/$product_name.lnk" ] || fail "the Start menu shortcut is left"
for key in "$uninstall_key" "$classes\\$suffix" "$classes\\$progid"; do
    ! key_exists "$key" || fail "the key $key is left"
done
key_exists "HKCU\\Software\\$product_publisher\\$executable" || fail "the user's stored setting was removed"
[ -z "$(lock_folder)" ] || fail "the user's empty lock folder is left: $(lock_folder)"

echo "== per-user install (/CurrentUser) by a standard user =="
machine_left=$(cd "$installed" && find . -mindepth 1 | sort)
as_user "$setup_w" /S /CurrentUser || fail "the per-user setup exited with $?"
user_location=$(reg_value "$user_key" InstallLocation)
case "$user_location" in
*"\\AppData\\Local\\Programs\\$product_name") ;;
*) fail "the per-user install went to '$user_location'" ;;
esac
user_installed=$(winepath -u "$user_location")
untouched_plant "the per-user setup"
[ -f "$user_installed/$exe" ] || fail "no program in $user_installed"
for key in "$uninstall_key" "$classes\\$suffix" "$classes\\$progid"; do
    ! key_exists "$key" || fail "the per-user setup wrote $key"
done
[ "$(cd "$installed" && find . -mindepth 1 | sort)" = "$machine_left" ] || fail "the per-user setup changed $installed"
[ ! -e "$start_menu/$product_name.lnk" ] || fail "the per-user setup made a shortcut for everyone"
user_shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu*' -name "$product_name.lnk")
[ -n "$user_shortcut" ] || fail "no Start menu shortcut for the user"
expect_value "$user_classes\\$suffix" "" "$progid"
user_command=$(reg_value "$user_classes\\$progid\\shell\\open\\command")
[ "$user_command" = "\"$user_location\\$exe\" \"%1\"" ] || fail "the per-user open command is '$user_command'"
# Wine's HKEY_CLASSES_ROOT leaves out the user's own classes, so `start` cannot find a per-user
# type: the registered command is run as Windows would run it.
(cd "$documents" && wine "$user_location\\$exe" "$(winepath -w "$documents/$reading")" >/dev/null 2>&1 &)
opened=""
for _ in $(seq 60); do
    if ps -eo args | grep -F "$exe" | grep -qF "$reading"; then
        opened=yes
        break
    fi
    sleep 1
done
[ -n "$opened" ] || fail "opening $reading did not start the per-user copy"
wineserver -k && wineserver -w || true
drop_stale_lock
user_before=$(fingerprint "$user_installed")
code=0 && in_place_uninstall as_admin "$user_location" || code=$?
[ $code -eq 5 ] || fail "the per-user uninstaller with an administrator's rights exited with $code, not 5"
[ "$(fingerprint "$user_installed")" = "$user_before" ] || fail "the per-user uninstaller with an administrator's rights removed files"
user_quiet=$(reg_value "$user_key" QuietUninstallString)
user_uninstaller=${user_quiet#\"}
user_uninstaller=${user_uninstaller%%\"*}
as_user "$user_uninstaller" /S || fail "the per-user uninstaller exited with $?"
wineserver -w
[ ! -e "$user_installed" ] || fail "the per-user folder is left: $(find "$user_installed")"
for key in "$user_key" "$user_classes\\$suffix" "$user_classes\\$progid"; do
    ! key_exists "$key" || fail "the key $key is left"
done
[ ! -e "$user_shortcut" ] || fail "the user's Start menu shortcut is left"
[ -z "$(lock_folder)" ] || fail "the user's empty lock folder is left: $(lock_folder)"

echo "== $suffix owned by another program =="
rm -f "$installed/saved here$suffix"
other() { expect_value "$classes\\$suffix" "" Other.Reading; }
offered() { wine reg query "$classes\\$suffix\\OpenWithProgids" /v "$progid" >/dev/null 2>&1; }
wine reg add "$classes\\$suffix" /ve /d Other.Reading /f >/dev/null
wine "$setup" /S || fail "the setup program exited with $?"
other
offered || fail "the program is not offered under Open with"
# Any program of the user can point HKCU's Local AppData elsewhere: the uninstaller with an
# administrator's rights must not remove what it names (an empty folder of the lock's names).
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
local_appdata=$(reg_value "$shell_folders" "Local AppData")
elsewhere="$WINEPREFIX/drive_c/Elsewhere/$product_publisher/$executable"
mkdir -p "$elsewhere"
wine reg add "$shell_folders" /v "Local AppData" /t REG_EXPAND_SZ /d 'C:\Elsewhere' /f >/dev/null
as_admin "$uninstaller" /S || fail "the uninstaller exited with $?"
wineserver -w
wine reg add "$shell_folders" /v "Local AppData" /t REG_EXPAND_SZ /d "$local_appdata" /f >/dev/null
[ -d "$elsewhere" ] || fail "the uninstaller with an administrator's rights removed $elsewhere, which HKCU named"
other
! offered || fail "the program is left under Open with"

echo "== for everyone, started by a standard user: raised through the prompt, into the folder /D= names =="
# NSIS takes /D= off the command line the raised setup is started with; it must be handed on.
as_user "$setup_w" /S /AllUsers '/D=C:\Program Files\Other' || fail "the setup started by a standard user exited with $?"
expect_value "$uninstall_key" InstallLocation 'C:\Program Files\Other'
[ -f "$WINEPREFIX/drive_c/Program Files/Other/$exe" ] || fail "nothing was installed in C:\Program Files\Other"
# Removed by a standard user too: the uninstaller the prompt started never starts itself again
# (Wine's prompt gives no more rights, so each would start the next).
code=0 && timeout 60 wine "$test_helpers/limited.exe" \
    '"C:\Program Files\Other\uninstall.exe" /S _?=C:\Program Files\Other' || code=$?
[ $code -eq 0 ] || { wineserver -k; fail "the uninstaller started by a standard user exited with $code"; }
! key_exists "$uninstall_key" || fail "the uninstaller started by a standard user left $uninstall_key"

echo "== the finish page's Run box: the program with the user's own rights, never when silent =="
# A setup whose program is planted.c, which leaves its token's elevation type in "ran".
runs="$work/runs/$product_name"
mkdir -p "$runs" && cp "$work/planted.exe" "$runs/$exe"
cmake -DSOURCE_DIR="$runs" -DOUTPUT="$work/runs/files.nsh" -P "$here/../packaging/windows/setup-files.cmake"
makensis -V1 -WX "-XSetCompress off" -DPRODUCT_NSH="$build/packaging/windows/product.nsh" -DSOURCE_DIR="$runs" \
    -DFILES_NSH="$work/runs/files.nsh" -DOUTFILE="$work/runs/$package_name-runs-setup.exe" "$nsi"
runs_setup=$(winepath -w "$work/runs/$package_name-runs-setup.exe")
ran() { # what the installed program left, waiting 5 s for it
    local file
    file="$(winepath -u "$(reg_value "$uninstall_key" InstallLocation)")/ran"
    for _ in $(seq 10); do [ -e "$file" ] && break; sleep 0.5; done
    cat "$file" 2>/dev/null || true
}
wine "$runs_setup" /S || fail "the silent setup exited with $?"
[ -z "$(ran)" ] || fail "the silent setup started the program"
# As the administrator prompt starts the raised setup: it asks the one that started it instead.
# interactively COMMAND...: runs it in the background, answering its pages; its exit code.
interactively() {
    "$@" &
    click_through $! || { fail "$* did not finish"; wineserver -k; }
    wait $!
}
interactively wine "$runs_setup" /AllUsers /Raised || true # it asks for the program by its exit code
[ -z "$(ran)" ] || fail "the raised setup started the program itself, with its rights ($(ran))"
interactively as_user "$runs_setup" || fail "the setup started by a standard user exited with $?"
[ "$(ran)" = 3 ] || fail "the Run box started the program with elevation type '$(ran)', not the limited token (3)"

[ $status -eq 0 ] && echo "setup program: installs over 0.9, opens a reading, refuses while it runs, uninstalls cleanly; the same per user as a standard user, refused with an administrator's rights; raised for everyone into /D='s folder; Run box with the user's rights; planted, outside and foreign ones refused"
exit $status
