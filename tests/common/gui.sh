# Sourced by the scripts that drive the real program on an X server of their own (the X11 and
# Wine smoke tests, the screenshots). The caller sets $sandbox (a private folder) and defines
# fail(); waits give up after 30 s, for a sanitizer build or Wine on a busy machine.

# start_xvfb: starts an X server in $sandbox, sets DISPLAY once it answers, and leaves its pid
# in $xvfb and its log in $sandbox/xvfb.log. The server picks a free display and names it
# (-displayfd), so parallel runs never race for one; -noreset keeps it from restarting when
# the readiness probe disconnects.
start_xvfb() {
    local display="" ready=""
    mkfifo "$sandbox/displayfd"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$sandbox/displayfd" 2>"$sandbox/xvfb.log" &
    xvfb=$!
    read -r -t 30 display <"$sandbox/displayfd" || display=""
    if ! [[ $display =~ ^[0-9]+$ ]]; then
        kill -0 "$xvfb" 2>/dev/null && fail "the X server named no display within 30 s"
        fail "the X server ended at start"
    fi
    export DISPLAY=:$display
    for _ in $(seq 1 100); do
        xdotool getdisplaygeometry >/dev/null 2>"$sandbox/probe.log" && { ready=1; break; }
        sleep 0.1
    done
    [ -n "$ready" ] || fail "the X server on $DISPLAY does not answer: $(cat "$sandbox/probe.log")"
}

# stop_xvfb: ends the server start_xvfb started, if any.
stop_xvfb() {
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    xvfb=""
}

# load_product BUILD_FOLDER: the product's identity as CMake wrote it (product.sh at the top of
# the build folder); sets $product_caption and $caption_pattern, the windows' exact title as a
# regular expression.
load_product() {
    # shellcheck source=/dev/null
    source "$1/product.sh" || fail "no product.sh in $1: not a configured build folder"
    caption_pattern="^$(printf '%s' "$product_caption" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
}

# private_home: HOME, settings, temporary files and the runtime folder in $sandbox, so that the
# user's own settings and lock stay untouched and every start is a first start.
private_home() {
    export HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config XDG_RUNTIME_DIR=$sandbox/run TMPDIR=$sandbox
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

# wait_for_window PATTERN [EXCEPT] [PID]: prints the first visible window whose title matches
# PATTERN, other than the window EXCEPT; fails at once when the process PID has ended.
wait_for_window() {
    local id
    for _ in $(seq 1 300); do
        for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            [ "$id" != "${2:-}" ] && { echo "$id"; return 0; }
        done
        [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null && return 1
        sleep 0.1
    done
    return 1
}

# wait_until_hidden PATTERN ID: true once the window ID is no longer a visible match of PATTERN.
wait_until_hidden() {
    for _ in $(seq 1 300); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -x "$2" >/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# focus_window ID: gives the window the keyboard (with or without a window manager).
focus_window() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    sleep 0.3
}

# wait_for_end PID: true once the process has ended; false if it still runs after 30 s.
wait_for_end() {
    for _ in $(seq 1 300); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# exit_by_menu PID: File > Exit through the menu's access keys in the focused window; fails
# unless the process then ends, with status 0.
exit_by_menu() {
    local status=0
    xdotool key alt+f
    sleep 0.3
    xdotool key x
    wait_for_end "$1" || fail "File > Exit did not end the program"
    wait "$1" || status=$?
    [ $status -eq 0 ] || fail "File > Exit ended the program with status $status"
}

# screenshot ID FILE: a PNG of the window once it has settled.
screenshot() {
    sleep 0.5
    import -window "$1" "$2" && echo "wrote $2"
}
