#!/usr/bin/env bash
# Takes the README's screenshots: starts the program on its own Xvfb display, drives a reading
# from the keyboard and writes PNGs of the input window, the reading, the print/save panel and
# the About box to docs/. With a scale in per cent (e.g. 150) the program runs at that scale
# factor and the files are named input-window-150.png and so on.
# Usage: scripts/screenshots.sh [path to bodyastro] [scale %]   (needs xvfb, xdotool, imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/bodyastro}
percent=${2:-100}
out=docs
mkdir -p "$out"
suffix=""
if [ "$percent" != 100 ]; then
    suffix="-$percent"
    export QT_SCALE_FACTOR=$(awk "BEGIN { print $percent / 100 }")
fi
px() { echo $(( $1 * percent / 100 )); } # window coordinates at the chosen scale
source tests/common/gui.sh

sandbox=$(mktemp -d)
app="" xvfb=""
cleanup() { [ -n "$app" ] && kill "$app" 2>/dev/null; stop_xvfb; rm -rf "$sandbox"; }
trap cleanup EXIT
fail() { echo "$*" >&2; exit 1; }
load_product "$(dirname "$program")"
start_xvfb
private_home
export QT_QPA_PLATFORM=xcb
shot() { screenshot "$1" "$out/${2%.png}$suffix.png"; } # window, file

"$program" &
app=$!
input=$(wait_for_window "$caption_pattern" "" "$app") || fail "no window appeared"
focus_window "$input"
sleep 0.2
xdotool type --delay 40 "ann"
# Time list: "8am-10am" is ten entries down; then day 7, March, 1990; then tick all three signs.
xdotool key --delay 30 Tab $(printf 'Down %.0s' $(seq 10))
xdotool key --delay 30 Tab $(printf 'Down %.0s' $(seq 6))
xdotool key --delay 30 Tab Down Down
xdotool key --delay 30 Tab && xdotool type --delay 30 "1990"
xdotool key --delay 30 Tab space Tab space Tab space
shot "$input" input-window.png

xdotool key alt+b
result=$(wait_for_window "$caption_pattern" "$input" "$app") || fail "the reading did not appear"
focus_window "$result"
shot "$result" reading.png
# The sun sign's tab, the first one at the top left of the tab area.
xdotool mousemove --window "$result" "$(px 36)" "$(px 79)" click 1
xdotool mousemove --window "$result" "$(px 600)" "$(px 20)"
shot "$result" reading-sun.png

xdotool key alt+p
shot "$result" print-panel.png

xdotool key alt+h
sleep 0.3
xdotool key a
if about=$(wait_for_window "$caption_pattern" "$result" "$app"); then
    shot "$about" about.png
else
    echo "the About box did not appear" >&2
fi
xdotool key Return
sleep 0.3
# Without a window manager the focus does not go back by itself.
focus_window "$result"
exit_by_menu "$app"
app=""
