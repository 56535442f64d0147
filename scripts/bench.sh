#!/usr/bin/env bash
# Benchmarks Zelto on generated Windows-1251 documents of 1, 10 and 100 MB beside reference tools
# run in the same session on the same files, and prints one table.
#
#   scripts/bench.sh                    all sizes, 5 runs of everything (medians)
#   ZELTO_BENCH_SIZES="1 10" ZELTO_BENCH_RUNS=7 scripts/bench.sh
#   scripts/bench.sh --table FILE       prints the table of saved raw results again
#   ZELTO_BENCH_PARAGRAPH_MB=5 scripts/bench.sh   a smaller one-paragraph file (0: none)
#   ZELTO_BENCH_WORD_MB=2 scripts/bench.sh         smaller files of one word and of base64
#
# Every scenario is timed until the frame showing its result is drawn (offscreen). References:
# iconv -f cp1251 -t utf-8 (open and the saves), tr -s ' ' (removal of extra spaces), a
# Boyer-Moore-Horspool search inside the benchmark program (find; grep -F -c is shown beside it),
# and for Ctrl+End and typing the same scenario at 1 MB. Then files of one long paragraph: 20 MB of
# words (the document of that size with its line breaks turned into spaces), 5 MB of one word,
# 5 MB of base64 and 20 MB of one word: open, a click, typing, Backspace, Delete, a paste of a
# megabyte of the same text and its undo, PageDown, Ctrl+End and the processor time of 5 idle
# seconds, against the open of the same size in lines and the other steps in 1 MB of lines, and
# how idle time settles their heights. After each size, how idle
# time settles the scroll bar (the settle session). At the largest size, the open's own targets:
# its ratio to iconv, its time per MB against the next smaller size, its peak memory over the file
# size, and what the progress dialog adds to it (the processor time of the same open without
# progress and with the dialog, in turns). For each size, the recovery record: a key with and
# without it, the first key after the open, the keys while the record copies the opened file, the
# time until that copy is durable and the record's disk use against the file's size, the bytes a
# key adds to it, the time from the last key to a durable record, and its restores beside the
# open. Then, at 1, 10, 50 and 100 MB (ZELTO_BENCH_QUIET_SIZES), the quiet session: the processor
# time of the minute after an open (ZELTO_BENCH_QUIET_SECONDS), five keys typed right after it
# against the same at 1 MB, the longest an event waits meanwhile.
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
        label = m; sub(/^paragraph-/, "one paragraph of ", label); sub(/^word-/, "one word of ", label)
        sub(/^base64-/, "base64 of ", label)
        printf "| %s MB | %.0f | %.1f (≤ 100 %s) | %.0f (0 %s) | %.1f (≤ 50 %s) |\n", label, v["settle " m], \
            w, (w <= 100) ? "met" : "NOT met", c, (c == 0) ? "met" : "NOT met", e, (e <= 50) ? "met" : "NOT met"
    }
}' "$1"
}

# print_quiet_table RESULTS: what an open costs afterwards, per size, the keys against 1 MB.
print_quiet_table() {
    awk '
$1 == "QUIET" { v[$2 " " $3] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
END {
    if (n == 0) exit
    printf "\nAfter an open, the view at the start: processor time while the user only looks, five keys\n"
    printf "typed at once (processor ms, against 1 MB), the longest an event waits in the first 3 s.\n\n"
    printf "| size | processor ms in the %s s after | target | paragraphs measured | five keys, ms | ratio to 1 MB | longest wait, ms |\n", seconds
    printf "|---|---:|---:|---:|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        m = order[i]; c = v["quiet-cpu " m]; t = 1500 * (m > 50 ? m / 50 : 1)
        k = v["quiet-keys " m]; r = ("quiet-keys 1" in v) ? k / v["quiet-keys 1"] : 0; w = v["quiet-longest-wait " m]
        printf "| %s MB | %.0f | ≤ %.0f %s | %.0f | %.1f | %.2f (≤ 1.5 %s) | %.1f (≤ 50 %s) |\n", m, c, t, \
            (c <= t) ? "met" : "NOT met", v["quiet-measured " m], k, r, (r <= 1.5) ? "met" : "NOT met", \
            w, (w <= 50) ? "met" : "NOT met"
    }
}' seconds="${ZELTO_BENCH_QUIET_SECONDS:-60}" "$1"
}

# print_paragraph_table RESULTS: one table for each file of one long paragraph (one paragraph of
# words, one word, base64) against files of lines, from a run's raw results.
print_paragraph_table() {
    awk '
function label(k) {
    l = k; sub(/^paragraph-/, "one paragraph, ", l); sub(/^word-/, "one word, ", l); sub(/^base64-/, "base64, ", l)
    return l " MB"
}
$1 == "INTERACT" { ms[$2 " " $3] = $4
                   if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 }
                   if (!($2 in kseen)) { kseen[$2] = 1; kinds[++k] = $2 } }
END {
    if (n == 0) exit
    for (j = 1; j <= k; j++) {
        p = kinds[j]
        if (p ~ /^lines-/) continue
        mb = p; sub(/^[a-z0-9]*-/, "", mb)
        printf "\n| scenario | %s | reference | reference | ratio | target |\n", label(p)
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
    }
    # The open of one word grows no faster than its size.
    small = ""; large = ""
    for (j = 1; j <= k; j++) if (kinds[j] ~ /^word-/) {
        mb = kinds[j]; sub(/^word-/, "", mb)
        if (small == "" || mb + 0 < small + 0) small = mb
        if (large == "" || mb + 0 > large + 0) large = mb
    }
    if (small != "" && large + 0 > small + 0) {
        g = (ms["word-" large " open"] / large) / (ms["word-" small " open"] / small)
        printf "\nOpen of one word, ms per MB: %.1f at %s MB, %.1f at %s MB: %.2f (≤ 1.5 %s)\n", \
            ms["word-" small " open"] / small, small, ms["word-" large " open"] / large, large, g, (g <= 1.5) ? "linear" : "NOT linear"
    }
}' "$1"
}

# print_recovery_table RESULTS: what the recovery record costs and gives, per size.
print_recovery_table() {
    awk '
$1 == "RECOVERY" { v[$2 " " $3] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
END {
    if (n == 0) exit
    printf "\nThe recovery record, side by side in one run (keys at the end of the opened file, each drawn).\n"
    printf "The record copies the opened file into itself from the first key on; keys go on meanwhile.\n\n"
    printf "| size | first key after open without / with recovery, ms | key while the file is copied, processor ms | copy durable after the first key, ms | record on disk / file size | key without / with recovery, processor ms | ratio | catch-up of a key to durable, ms | bytes per key: one catch-up each / a burst of 100 | last key to durable, ms | open, ms | restore (its copy of the file + keys), ms | ratio | whole document recorded, ms (MB) | its restore, ms | ratio |\n"
    printf "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"
    for (i = 1; i <= n; i++) {
        m = order[i]; k = v["key-recovery-on " m] / v["key-recovery-off " m]; o = v["open " m]
        printf "| %s MB | %.1f / %.1f | %.2f | %.0f | %.2f | %.2f / %.2f | %.2f (≤ 1.1 %s) | %.1f | %.0f / %.1f | %.0f | %.0f | %.0f | %.2f | %.0f (%.0f) | %.0f | %.2f |\n", m, \
            v["first-key-recovery-off " m], v["first-key-recovery-on " m], v["key-while-copying " m], \
            v["base-durable " m], v["record-disk-per-file-byte " m], \
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
    print_paragraph_table "$2"
    print_recovery_table "$2"
    print_quiet_table "$2"
    exit 0
fi

"$root/scripts/setup.sh" test
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

# Files of one long paragraph: of words (the document of lines with its breaks turned into spaces),
# of one word, of base64. References, in the same run: the open of the same size in lines, every
# other step in 1 MB of lines.
para_mb="${ZELTO_BENCH_PARAGRAPH_MB:-20}"
word_mb="${ZELTO_BENCH_WORD_MB:-5}"
if [ "$para_mb" != 0 ]; then
    echo "== one paragraph of $para_mb MB; one word and base64 of $word_mb MB, one word of $para_mb MB" >&2
    kinds="lines-1"
    for mb in $para_mb $word_mb; do
        case " $kinds " in *" lines-$mb "*) ;; *) kinds="$kinds lines-$mb" ;; esac
    done
    kinds="$kinds paragraph-$para_mb word-$word_mb base64-$word_mb"
    if [ "$para_mb" != "$word_mb" ]; then kinds="$kinds word-$para_mb"; fi
    for kind in $kinds; do
        mb="${kind#*-}"
        bytes=$((mb * 1048576))
        case "$kind" in
        lines-*) "$bench" generate "$work/$kind" "$mb" 2>/dev/null ;;
        paragraph-*)
            "$bench" generate "$work/lines-tmp" "$mb" 2>/dev/null
            tr -d '\r' <"$work/lines-tmp" | tr '\n' ' ' >"$work/$kind"
            rm -f "$work/lines-tmp"
            ;;
        word-*) head -c "$bytes" /dev/zero | tr '\0' 'x' >"$work/$kind" ;;
        base64-*) head -c $((bytes / 4 * 3)) /dev/urandom | base64 -w0 >"$work/$kind" ;;
        esac
    done
    for kind in $kinds; do
        "$bench" session interact "$work/$kind" "$work" "${ZELTO_BENCH_PARAGRAPH_RUNS:-3}" 2>/dev/null |
            awk -v kind="$kind" '$1 == "RESULT" { print "INTERACT", kind, $2, $4, $5 }' >>"$results"
    done
    # The pieces settle in idle time like paragraphs of lines.
    for kind in "paragraph-$para_mb" "word-$word_mb" "base64-$word_mb"; do
        "$bench" session settle "$work/$kind" "$work" 1 2>/dev/null |
            awk -v mb="$kind" '$1 == "RESULT" { print "SETTLE", $2, mb, $4 }' >>"$results"
    done
    for kind in $kinds; do rm -f "${work:?}/$kind"; done
fi

# What an open costs afterwards, at each size of ZELTO_BENCH_QUIET_SIZES (1 MB first: the keys'
# reference).
for mb in ${ZELTO_BENCH_QUIET_SIZES:-1 10 50 100}; do
    echo "== quiet after an open of $mb MB" >&2
    "$bench" generate "$work/quiet-$mb" "$mb" 2>/dev/null
    "$bench" session quiet "$work/quiet-$mb" "$work" "$runs" 2>/dev/null |
        awk -v mb="$mb" '$1 == "RESULT" { print "QUIET", $2, mb, $4 }' >>"$results"
    rm -f "$work/quiet-$mb"
done

cp "$results" "$build/bench-results.txt"
echo "Measured in $(($(date +%s) - started)) s; raw results in $build/bench-results.txt" >&2

print_table "$results" "$sizes"
print_open_table "$results" "$sizes"
print_settle_table "$results"
print_paragraph_table "$results"
print_recovery_table "$results"
print_quiet_table "$results"
