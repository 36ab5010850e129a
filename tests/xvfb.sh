# Sourced by the smoke tests: start_xvfb starts an X server of the test's own in $sandbox, sets
# DISPLAY once the server answers, and leaves its pid in $xvfb and its log in $sandbox/xvfb.log.
# The caller defines fail(). The server picks a free display and names it (-displayfd), so
# parallel runs never race for one; -noreset keeps it from restarting when the readiness probe
# disconnects.
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
