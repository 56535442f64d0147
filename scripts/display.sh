# display.sh, sourced by the scripts that drive the editor under Xvfb: a work folder removed on
# exit, the processes started meanwhile ended on exit (append their ids to pids), and
# start_display WIDTHxHEIGHT, which starts Xvfb on the first free display and exports DISPLAY.
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

start_display() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3> "$work/display" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
}
