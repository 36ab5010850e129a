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

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sandbox=$(mktemp -d)
cleanup() { kill "$app" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "$sandbox"; }
trap cleanup EXIT
export DISPLAY=$display HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config TMPDIR=$sandbox QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$sandbox/run && mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
sleep 1

visible_windows() { xdotool search --onlyvisible --name '^Corvane Body Astrology v1\.0$' 2>/dev/null || true; }
wait_for_new_window() { # prints a visible program window other than $1
    for _ in $(seq 1 100); do
        for id in $(visible_windows); do
            [ "$id" != "${1:-}" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    echo "no window appeared" >&2
    return 1
}
shot() { # window, file
    sleep 0.5
    local file=${2%.png}$suffix.png
    import -window "$1" "$out/$file"
    echo "wrote $out/$file"
}

"$program" &
app=$!
input=$(wait_for_new_window)
xdotool windowfocus --sync "$input"
sleep 0.5
xdotool type --delay 40 "ann"
# Time list: "8am-10am" is ten entries down; then day 7, March, 1990; then tick all three signs.
xdotool key --delay 30 Tab $(printf 'Down %.0s' $(seq 10))
xdotool key --delay 30 Tab $(printf 'Down %.0s' $(seq 6))
xdotool key --delay 30 Tab Down Down
xdotool key --delay 30 Tab && xdotool type --delay 30 "1990"
xdotool key --delay 30 Tab space Tab space Tab space
shot "$input" input-window.png

xdotool key alt+b
result=$(wait_for_new_window "$input")
xdotool windowfocus --sync "$result"
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
about=""
for _ in $(seq 1 50); do
    for id in $(visible_windows); do
        [ "$id" != "$result" ] && about=$id
    done
    [ -n "$about" ] && break
    sleep 0.1
done
[ -n "$about" ] && shot "$about" about.png || echo "the About box did not appear" >&2
xdotool key Return
sleep 0.3
# Without a window manager the focus does not go back by itself.
xdotool windowfocus --sync "$result"
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 1 50); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
    echo "File > Exit did not end the program" >&2
    exit 1
fi
