#!/usr/bin/env bash
# Takes the README's screenshots of the Windows setup under wine64: started as a standard user
# starts it (tests/windows/limited.c), so that it offers both kinds of install and raises itself
# for everyone as on Windows; writes the welcome, scope, folder and finish pages to
# docs/setup-welcome.png, setup-scope.png, setup-folder.png and setup-finish.png.
# Usage: scripts/setup-screenshots.sh BUILD_DIR   (a 64-bit Windows build whose windows_setup
#        target has run; needs wine64, Xvfb, xdotool, ImageMagick and MinGW-w64's C compiler)
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/common/gui.sh
source tests/common/windows.sh
fail() { echo "$*" >&2; exit 1; }
load_product "$1"
setup="$1/$package_name-$product_version-win$windows_bits-setup.exe"
[ -f "$setup" ] || fail "no $setup: build the windows_setup target first"
use_wine "$windows_arch"
sandbox=$(mktemp -d) xvfb=""
cleanup() { wineserver -k 2>/dev/null || true; stop_xvfb; rm -rf "$sandbox"; }
trap cleanup EXIT
export WINEPREFIX=$sandbox/prefix WINEDEBUG=-all HOME=$sandbox/home WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
mkdir -p "$HOME"
start_xvfb
wineboot -i 2>/dev/null && wineserver -w
build_test_helpers "$sandbox" "$windows_arch" limited

# page NAME [EXCEPT]: waits for the setup's window (another than EXCEPT), lets the page settle,
# writes docs/setup-NAME.png and prints the window.
page() {
    local window
    window=$(wait_for_window " Setup *\$" "${2:-}") || fail "no setup window for the $1 page"
    sleep 2
    import -window "$window" "docs/setup-$1.png" && echo "wrote docs/setup-$1.png" >&2
    echo "$window"
}
next() { xdotool windowfocus "$1" key Return; sleep 1; }

as_user "$(winepath -w "$setup")" &
first=$(page welcome)
next "$first"
page scope >/dev/null
next "$first"
# For everyone: the setup the administrator prompt started goes on in a window of its own.
raised=$(page folder "$first")
next "$raised"
# Installing; the finish page follows by itself.
sleep 15
page finish >/dev/null
