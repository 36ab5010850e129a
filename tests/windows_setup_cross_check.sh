#!/usr/bin/env bash
# The 64-bit setup over an installed 32-bit copy, per machine and per user, under wine64: the
# 32-bit copy's own uninstaller runs first, so one copy (the 64-bit one, in the 64-bit Program
# Files), one Start menu entry, one .boa type and one Add/Remove Programs entry are left, and the
# user's stored setting is kept. Needs the 32-bit setup to run, so skips (77) where it cannot.
# Usage: windows_setup_cross_check.sh BUILD_X64 BUILD_X86 DIST
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common/gui.sh"
source "$here/common/windows.sh"
fail() { echo "FAIL: $*"; exit 1; }
load_product "$2"
setup32="$(cd "$3" && pwd)/$package_name-$product_version-win32-setup.exe"
load_product "$1"
setup64="$(cd "$3" && pwd)/$package_name-$product_version-win64-setup.exe"
[ -f "$setup32" ] && [ -f "$setup64" ] || fail "the two setups are not in $3"
use_wine x86   # skips here where the 32-bit setup cannot run
use_wine x64   # Wine hands a 32-bit program from this loader to the 32-bit one by itself

work=$(mktemp -d)
sandbox=$work xvfb=""
cleanup() { wineserver -k 2>/dev/null || true; stop_xvfb || true; rm -rf "$work"; }
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all HOME=$work/home WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
mkdir -p "$HOME"
start_xvfb
wineboot -i 2>/dev/null && wineserver -w

value() { # KEY NAME [VIEW]: the value, or nothing
    wine reg query "$1" /v "$2" ${3:+"/reg:$3"} 2>/dev/null | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall'
setting="HKCU\\Software\\$product_publisher\\$executable\\Settings"
wine reg add "$setting" /v kept /d yes /f >/dev/null 2>&1

check_one_copy() { # HIVE WHERE (the 64-bit copy's folder, Windows path)
    local shortcuts
    [ -z "$(value "$1\\$uninstall\\$package_name" InstallLocation 32)" ] || [ "$1" = HKCU ] ||
        fail "$1: the 32-bit copy's Add/Remove Programs entry is left"
    [ "$(value "$1\\$uninstall\\$package_name" InstallLocation 64)" = "$2" ] || fail "$1: the 64-bit copy is not registered in $2"
    [ "$(pe_arch "$(winepath -u "$2")/$executable.exe")" = x64 ] || fail "$1: no 64-bit program in $2"
    shortcuts=$(find "$WINEPREFIX/drive_c" -name "$product_name.lnk" | wc -l)
    [ "$shortcuts" -eq 1 ] || fail "$1: $shortcuts Start menu entries"
    [ "$(value "$setting" kept)" = yes ] || fail "$1: the user's stored setting was lost"
}

echo "== per machine: 64-bit over 32-bit =="
wine "$setup32" /S || fail "the 32-bit setup failed"
old=$(winepath -u "$(value "HKLM\\$uninstall\\$package_name" InstallLocation 32)")
[ -f "$old/$executable.exe" ] || fail "the 32-bit copy did not install"
wine "$setup64" /S || fail "the 64-bit setup over the 32-bit copy failed"
check_one_copy HKLM "C:\\Program Files\\$product_name"
[ ! -e "$old/$executable.exe" ] || fail "the 32-bit copy's files are left in $old"
wine "C:\\Program Files\\$product_name\\uninstall.exe" /S && wineserver -w

echo "== per user: 64-bit over 32-bit =="
# As a standard user: with an administrator's rights (Wine 8 starts everything so) both refuse.
build_test_helpers "$work" x64 limited
as_user "$(winepath -w "$setup32")" /S /CurrentUser || fail "the 32-bit per-user setup failed"
as_user "$(winepath -w "$setup64")" /S /CurrentUser || fail "the 64-bit per-user setup over the 32-bit copy failed"
check_one_copy HKCU "$(value "HKCU\\$uninstall\\$package_name" InstallLocation)"
echo "64-bit setup over a 32-bit copy: one copy left, per machine and per user, setting kept"
