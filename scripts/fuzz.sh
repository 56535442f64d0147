#!/usr/bin/env bash
# fuzz.sh SECONDS [TARGET...]: builds the libFuzzer targets under fuzz/ with clang and runs each
# for SECONDS, starting from the committed corpus in fuzz/corpus/<target>. A failing input stops
# the run and is saved under the build folder; the script then fails.
# ZELTO_FUZZ_MERGE=1 merges what the run found interesting back into fuzz/corpus.
# ZELTO_FUZZ_BUILD=DIR builds into DIR (default build/fuzz).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:?usage: fuzz.sh SECONDS [TARGET...]}"
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_textfile fuzz_cp1251 fuzz_rtfwriter fuzz_recovery)
fi
build="${ZELTO_FUZZ_BUILD:-$root/build/fuzz}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

for target in "${targets[@]}"; do
    case "$target" in
        fuzz_textfile) max_len=8192 ;;
        fuzz_rtfwriter) max_len=2048 ;;
        fuzz_recovery) max_len=16384 ;;
        *) max_len=4096 ;;
    esac
    seeds="$root/fuzz/corpus/$target"
    work="$build/corpus/$target"
    mkdir -p "$seeds" "$work" "$build/artifacts"
    echo "== $target: $seconds s"
    # New inputs go to the work folder; the committed corpus is only read.
    "$build/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$work" "$seeds" 2>"$build/$target.log" || {
        tail -n 60 "$build/$target.log"
        echo "$target failed; the input is in $build/artifacts" >&2
        exit 1
    }
    grep -E "DONE|stat::number_of_executed_units|stat::peak_rss_mb" "$build/$target.log"
    if [ "${ZELTO_FUZZ_MERGE:-0}" = "1" ]; then
        "$build/$target" -merge=1 -max_len="$max_len" "$seeds" "$work" 2>>"$build/$target.log"
        echo "corpus: $(find "$seeds" -type f | wc -l) files, $(du -sh --apparent-size "$seeds" | cut -f1)"
    fi
done
