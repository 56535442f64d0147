#!/usr/bin/env bash
# cpu-after-open.sh [MEGABYTES... ]: starts the real editor under Xvfb on a generated Windows-1251
# document of lines of each size (default 10 50 100), and prints the processor time (user and
# system, from /proc/PID/stat) the editor spends in the SECONDS (ZELTO_QUIET_SECONDS, default 60)
# after its window shows the opened file, the user only looking.
#
# Uses the program of build/test (ZELTO_BIN names another) and the generator of the benchmark
# program beside it (ZELTO_BENCH_BIN). Needs Xvfb and xdotool.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${ZELTO_BIN:-$root/build/test/src/app/zelto}"
bench="${ZELTO_BENCH_BIN:-$root/build/test/bench/zelto_bench}"
seconds="${ZELTO_QUIET_SECONDS:-60}"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10 50 100)

# shellcheck source=display.sh
. "$root/scripts/display.sh"
start_display 1600x1000

# cpu_ms PID: the processor time PID has spent so far, in milliseconds.
cpu_ms() {
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%d\n", ($12 + $13) * 1000 / hz }' \
        "/proc/$1/stat"
}

printf "| size | open to window, ms of processor | processor ms in the %s s after |\n" "$seconds"
printf "|---|---|---|\n"
for mb in "${sizes[@]}"; do
    file="$work/lines-$mb.txt"
    QT_QPA_PLATFORM=offscreen "$bench" generate "$file" "$mb" 2>/dev/null
    # A home of its own: no records or settings of other runs.
    HOME="$work/home" XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/home/config" \
        XDG_DATA_HOME="$work/home/data" XDG_STATE_HOME="$work/home/state" \
        XDG_CACHE_HOME="$work/home/cache" "$bin" "$file" 2>/dev/null &
    pid=$!
    pids+=("$pid")
    # The title names the file once it is open.
    xdotool search --sync --onlyvisible --name "lines-$mb" >/dev/null
    before=$(cpu_ms "$pid")
    sleep "$seconds"
    after=$(cpu_ms "$pid")
    printf "| %s MB | %s | %s |\n" "$mb" "$before" "$((after - before))"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done
