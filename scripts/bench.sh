#!/usr/bin/env bash
# Benchmarks Zelto on generated Windows-1251 documents of 1, 10 and 100 MB beside reference tools
# run in the same session on the same files, and prints one table.
#
#   scripts/bench.sh                    all sizes, 5 runs of everything (medians)
#   ZELTO_BENCH_SIZES="1 10" ZELTO_BENCH_RUNS=7 scripts/bench.sh
#   scripts/bench.sh --table FILE       prints the table of saved raw results again
#   ZELTO_BENCH_PARAGRAPH_MB=5 scripts/bench.sh   a smaller one-paragraph file (0: none)
#
# Every scenario is timed until the frame showing its result is drawn (offscreen). References:
# iconv -f cp1251 -t utf-8 (open and the saves), tr -s ' ' (removal of extra spaces), a
# Boyer-Moore-Horspool search inside the benchmark program (find; grep -F -c is shown beside it),
# and for Ctrl+End and typing the same scenario at 1 MB. Then one paragraph of 20 MB (the document
# of that size with its line breaks turned into spaces): open, a click, typing, PageDown, Ctrl+End
# and the processor time of 5 idle seconds, against the open of the same text in lines and the
# other steps in 1 MB of lines, and how idle time settles its heights. After each size, how idle
# time settles the scroll bar (the settle session). At the largest size, the open's own targets:
# its ratio to iconv, its time per MB against the next smaller size, its peak memory over the file
# size, and what the progress dialog adds to it (the processor time of the same open without
# progress and with the dialog, in turns). For each size, the recovery record: a key with and
# without it, the bytes a key adds to it, the time from the last key to a durable record, and its
# restores beside the open.
# Not part of the test command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sizes="${ZELTO_BENCH_SIZES:-1 10 100}"
runs="${ZELTO_BENCH_RUNS:-5}"
build="$root/build/bench"

# print_table RESULTS SIZES: the table of a run's raw results.
print_table() {
    awk -v sizes="$2" '
function target(s) {
    if (s == "open") return 3
    if (s == "save-plain") return 10
    if (s ~ /^save-rtf/) return 15
    if (s ~ /^find/) return 10
    if (s == "squeeze") return 20
    if (s == "ctrl-end") return 3
    if (s == "type-at-end") return 2
    return 0
}
function refname(s) {
    if (s == "open" || s ~ /^save/) return "iconv"
    if (s ~ /^find/) return "BMH"
    if (s == "squeeze") return "tr -s"
    if (s == "ctrl-end" || s == "type-at-end") return "same, 1 MB"
    return "-"
}
$1 == "OURS" { key = $2 " " $3; bytes[$3] = $4; ms[key] = $5; peak[key] = $6; bmh[key] = $7
               if (!($2 in seen)) { seen[$2] = 1; order[++n] = $2 } }
$1 == "REF"  { ref[$2 " " $3] = $4 }
END {
    split(sizes, sz, " ")
    largest = 0; for (j = 1; j in sz; j++) if (sz[j] + 0 > largest) largest = sz[j] + 0
    printf "| scenario | size | ours, ms | reference | reference, ms | ratio | target | peak memory / file size |\n"
    printf "|---|---|---:|---|---:|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        s = order[i]
        for (j = 1; j in sz; j++) {
            m = sz[j]; key = s " " m
            if (!(key in ms)) continue
            r = "-"
            if (refname(s) == "iconv") r = ref["iconv " m]
            else if (refname(s) == "tr -s") r = ref["tr " m]
            else if (refname(s) == "BMH") r = bmh[key]
            else if (refname(s) == "same, 1 MB") r = ms[s " 1"]
            ratio = (r != "-" && r > 0) ? sprintf("%.1f", ms[key] / r) : "-"
            t = target(s)
            # The targets are set for the largest document.
            goal = (t && ratio != "-" && m == largest && m != 1) ? \
                   sprintf("≤ %d %s", t, (ratio + 0 <= t) ? "met" : "NOT met") : "-"
            printf "| %s | %s MB | %.1f | %s | %s | %s | %s | %.1f |\n", s, m, ms[key], refname(s), r, ratio, goal, peak[key] / bytes[m]
        }
    }
    printf "\nReference tools, ms (median): "
    for (j = 1; j in sz; j++) {
        m = sz[j]
        printf "%s MB: iconv %s, tr -s %s, grep -F -c %s%s", m, ref["iconv " m], ref["tr " m], ref["grep " m], (j + 1 in sz) ? "; " : "\n"
    }
    printf "\nGrowth, ms per MB. Linear when no larger size costs more than 1.5 x per MB what a smaller one\n"
    printf "costs; the smallest size also carries the fixed cost of drawing a frame.\n\n"
    printf "| scenario |"
    for (j = 1; j in sz; j++) printf " %s MB |", sz[j]
    printf " largest / smallest | largest / next |\n|---|"
    for (j = 1; j in sz; j++) printf "---:|"
    printf "---:|---:|\n"
    last = 0; for (j = 1; j in sz; j++) last = j
    for (i = 1; i <= n; i++) {
        s = order[i]
        if (s == "ctrl-end" || s == "type-at-end" || s == "style-all") continue
        printf "| %s |", s
        for (j = 1; j in sz; j++) {
            m = sz[j]; per[j] = ms[s " " m] / (bytes[m] / 1048576); printf " %.1f |", per[j]
        }
        g = per[last] / per[1]
        h = (last > 1) ? per[last] / per[last - 1] : 1
        printf " %.2f | %.2f %s |\n", g, h, (last == 1) ? "" : ((g <= 1.5 && h <= 1.5) ? "linear" : "NOT linear")
    }
}' "$1"
}

# print_open_table RESULTS SIZES: the open's targets at the largest size.
print_open_table() {
    awk -v sizes="$2" '
$1 == "OURS" { ms[$2 " " $3] = $5; peak[$2 " " $3] = $6; bytes[$3] = $4 }
$1 == "REF" { ref[$2 " " $3] = $4 }
$1 == "PROGRESS" { cpu[$2] = $4 }
END {
    n = split(sizes, sz, " ")
    if (n < 2 || !(("open " sz[n]) in ms)) exit
    m = sz[n]; p = sz[n - 1]
    ratio = ms["open " m] / ref["iconv " m]
    growth = (ms["open " m] / bytes[m]) / (ms["open " p] / bytes[p])
    memory = peak["open " m] / bytes[m]
    printf "\nThe open of %s MB, in the same run:\n\n", m
    printf "| open, %s MB | value | target |\n|---|---:|---:|\n", m
    printf "| time / iconv | %.1f | ≤ 3 %s |\n", ratio, (ratio <= 3) ? "met" : "NOT met"
    printf "| time per MB / that at %s MB | %.2f | ≤ 1.2 %s |\n", p, growth, (growth <= 1.2) ? "met" : "NOT met"
    printf "| peak memory / file size | %.1f | ≤ 5 %s |\n", memory, (memory <= 5) ? "met" : "NOT met"
    if ("open-cpu-no-progress" in cpu) {
        none = cpu["open-cpu-no-progress"]; shown = cpu["open-cpu-progress-dialog"]
        extra = 100 * (shown / none - 1)
        printf "| progress dialog: processor ms with / without (%.0f / %.0f) | %+.1f %% | ≤ 5 %% %s |\n", shown, none, extra, (extra <= 5) ? "met" : "NOT met"
    }
}' "$1"
}

# print_settle_table RESULTS: how the scroll bar settles after an open, per size.
print_settle_table() {
    awk '
$1 == "SETTLE" { v[$2 " " $3] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
END {
    if (n == 0) exit
    printf "\nIdle time replacing estimated heights by real ones after an open, the caret at the end.\n\n"
    printf "| size | settled after, ms | longest wait of an event, ms | caret moved, px | idle processor ms in 5 s after |\n"
    printf "|---|---:|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        m = order[i]
        w = v["settle-longest-wait " m]; c = v["settle-caret-moved-px " m]; e = v["idle-cpu-settled " m]
        label = m; sub(/^paragraph-/, "one paragraph of ", label)
        printf "| %s MB | %.0f | %.1f (≤ 100 %s) | %.0f (0 %s) | %.1f (≤ 50 %s) |\n", label, v["settle " m], \
            w, (w <= 100) ? "met" : "NOT met", c, (c == 0) ? "met" : "NOT met", e, (e <= 50) ? "met" : "NOT met"
    }
}' "$1"
}

# print_paragraph_table RESULTS MB: the one-paragraph table of a run's raw results.
print_paragraph_table() {
    awk -v mb="$2" '
$1 == "INTERACT" { ms[$2 " " $3] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
END {
    if (n == 0) exit
    p = "paragraph-" mb
    printf "\n| scenario | one paragraph, %s MB | reference | reference | ratio | target |\n", mb
    printf "|---|---:|---|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        s = order[i]
        if (s == "open") { refkey = "lines-" mb; refname = mb " MB of lines"; t = 3 }
        else { refkey = "lines-1"; refname = "1 MB of lines"; t = 1.5 }
        ours = ms[p " " s]; r = ms[refkey " " s]
        if (s == "idle-cpu") {
            printf "| idle-cpu (processor ms in 5 s) | %.1f | %s | %.1f | - | ≤ 50 ms %s |\n", ours, refname, r, (ours <= 50) ? "met" : "NOT met"
            continue
        }
        ratio = (r > 0) ? ours / r : 0
        printf "| %s | %.1f | %s | %.1f | %.1f | ≤ %s %s |\n", s, ours, refname, r, ratio, t, (ratio <= t) ? "met" : "NOT met"
    }
}' "$1"
}

# print_recovery_table RESULTS: what the recovery record costs and gives, per size.
print_recovery_table() {
    awk '
$1 == "RECOVERY" { v[$2 " " $3] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
END {
    if (n == 0) exit
    printf "\nThe recovery record, side by side in one run (keys at the end of the opened file, each drawn).\n\n"
    printf "| size | key without / with recovery, processor ms | ratio | catch-up of a key to durable, ms | bytes per key: one catch-up each / a burst of 100 | last key to durable, ms | open, ms | restore (file + keys), ms | ratio | whole document recorded, ms (MB) | its restore, ms | ratio |\n"
    printf "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        m = order[i]; k = v["key-recovery-on " m] / v["key-recovery-off " m]; o = v["open " m]
        printf "| %s MB | %.2f / %.2f | %.2f (≤ 1.1 %s) | %.1f | %.0f / %.1f | %.0f | %.0f | %.0f | %.2f | %.0f (%.0f) | %.0f | %.2f |\n", m, \
            v["key-recovery-off " m], v["key-recovery-on " m], k, (k <= 1.1) ? "met" : "NOT met", \
            v["catch-up-to-durable " m], \
            v["bytes-per-key " m], v["bytes-per-key-burst " m], v["last-key-to-durable " m], o, \
            v["restore-opened " m], v["restore-opened " m] / o, v["record-whole " m], \
            v["record-whole-bytes " m] / 1048576, v["restore-whole " m], v["restore-whole " m] / o
    }
}' "$1"
}

if [ "${1:-}" = "--table" ]; then
    # Prints the table of saved raw results again: scripts/bench.sh --table FILE ["1 10 100"]
    print_table "$2" "${3:-$sizes}"
    print_open_table "$2" "${3:-$sizes}"
    print_settle_table "$2"
    print_paragraph_table "$2" "${ZELTO_BENCH_PARAGRAPH_MB:-20}"
    print_recovery_table "$2"
    exit 0
fi

"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELTO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target zelto_bench >/dev/null
bench="$build/bench/zelto_bench"
export QT_QPA_PLATFORM=offscreen

work="$(mktemp -d "${TMPDIR:-/tmp}/zelto-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
results="$work/results"
: >"$results"

# The marker word the generator puts near the end of every document, in Windows-1251.
needle="$(printf '\307\345\353\362\356FindMe')"

now_us() { echo $(($(date +%s%N) / 1000)); }

# median_ms CMD...: runs CMD $runs times (output discarded), prints the median in milliseconds.
median_ms() {
    local i start end
    for ((i = 0; i < runs; i++)); do
        start=$(now_us)
        "$@" >/dev/null
        end=$(now_us)
        echo $((end - start))
    done | sort -n | awk '{ t[NR] = $1 } END {
        m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%.1f\n", m / 1000 }'
}

largest=0
for mb in $sizes; do
    if [ "${mb%.*}" -gt "${largest%.*}" ]; then largest=$mb; fi
done

started=$(date +%s)
for mb in $sizes; do
    file="$work/doc-$mb.txt"
    "$bench" generate "$file" "$mb" 2>/dev/null
    bytes=$(stat -c %s "$file")
    echo "== $mb MB ($bytes bytes)" >&2
    for session in view edit squeeze; do
        "$bench" session "$session" "$file" "$work" "$runs" 2>/dev/null |
            awk -v mb="$mb" '$1 == "RESULT" { print "OURS", $2, mb, $3, $4, $5, $6 }' >>"$results"
    done
    "$bench" session settle "$file" "$work" 1 2>/dev/null |
        awk -v mb="$mb" '$1 == "RESULT" { print "SETTLE", $2, mb, $4 }' >>"$results"
    "$bench" session recovery "$file" "$work" "$runs" 2>/dev/null |
        awk -v mb="$mb" '$1 == "RESULT" { print "RECOVERY", $2, mb, $4 }' >>"$results"
    if [ "$mb" = "$largest" ]; then
        "$bench" session progress "$file" "$work" "$runs" 2>/dev/null |
            awk '$1 == "RESULT" { print "PROGRESS", $2, $3, $4 }' >>"$results"
    fi
    echo "REF iconv $mb $(median_ms iconv -f cp1251 -t utf-8 "$file")" >>"$results"
    echo "REF tr $mb $(median_ms sh -c "tr -s ' ' <'$file'")" >>"$results"
    echo "REF grep $mb $(LC_ALL=C median_ms grep -F -c "$needle" "$file")" >>"$results"
    rm -f "$file" "$work"/saved-*
done

# One long paragraph, and its references: the same steps in 1 MB of lines, the open of the same size
# in lines.
para_mb="${ZELTO_BENCH_PARAGRAPH_MB:-20}"
if [ "$para_mb" != 0 ]; then
    echo "== one paragraph of $para_mb MB" >&2
    "$bench" generate "$work/lines-1" 1 2>/dev/null
    "$bench" generate "$work/lines-$para_mb" "$para_mb" 2>/dev/null
    tr -d '\r' <"$work/lines-$para_mb" | tr '\n' ' ' >"$work/paragraph-$para_mb"
    for kind in lines-1 "lines-$para_mb" "paragraph-$para_mb"; do
        "$bench" session interact "$work/$kind" "$work" "${ZELTO_BENCH_PARAGRAPH_RUNS:-3}" 2>/dev/null |
            awk -v kind="$kind" '$1 == "RESULT" { print "INTERACT", kind, $2, $4, $5 }' >>"$results"
    done
    # The paragraph's pieces settle in idle time like paragraphs of lines.
    "$bench" session settle "$work/paragraph-$para_mb" "$work" 1 2>/dev/null |
        awk -v mb="paragraph-$para_mb" '$1 == "RESULT" { print "SETTLE", $2, mb, $4 }' >>"$results"
    rm -f "$work/lines-1" "$work/lines-$para_mb" "$work/paragraph-$para_mb"
fi

cp "$results" "$build/bench-results.txt"
echo "Measured in $(($(date +%s) - started)) s; raw results in $build/bench-results.txt" >&2

print_table "$results" "$sizes"
print_open_table "$results" "$sizes"
print_settle_table "$results"
print_paragraph_table "$results" "$para_mb"
print_recovery_table "$results"
