#!/usr/bin/env bash
# Installs what is missing, checks the sources' format against .clang-format, builds Zelto with its
# tests (a compiler warning fails the build) and runs every test headless: the unit, gui and
# reliability levels in parallel, then the perf level alone, on a machine left to it.
# Then builds and runs the suite again with AddressSanitizer, UBSan and LeakSanitizer (without the
# perf level, whose margins are not meant for a sanitized build), and runs each fuzz target for
# ZELTO_FUZZ_SECONDS (30) seconds. ZELTO_SANITIZE=0 or ZELTO_FUZZ_SECONDS=0 leaves either out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" test
export QT_QPA_PLATFORM=offscreen

find "$root/src" "$root/tests" "$root/bench" "$root/fuzz" \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --style=file --dry-run --Werror

"$root/scripts/build.sh" "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$(nproc)" --label-exclude perf
ctest --test-dir "$root/build/test" --output-on-failure --label-regex perf

if [ "${ZELTO_SANITIZE:-1}" = "1" ]; then
    "$root/scripts/build.sh" "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DZELTO_SANITIZE=ON \
        -DZELTO_BUILD_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
    # Leaks inside system libraries are not ours to mend.
    LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
    ASAN_OPTIONS="detect_leaks=1:strict_init_order=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir "$root/build/sanitize" --output-on-failure --parallel "$(nproc)" \
            --label-exclude perf
fi

if [ "${ZELTO_FUZZ_SECONDS:-30}" != "0" ]; then
    "$root/scripts/fuzz.sh" "${ZELTO_FUZZ_SECONDS:-30}"
fi
