#!/usr/bin/env bash
# Installs what is missing, builds Zelto with its tests and runs every test headless.
# Then builds and runs the whole suite again with AddressSanitizer, UBSan and LeakSanitizer, and
# runs each fuzz target for ZELTO_FUZZ_SECONDS (30) seconds. ZELTO_SANITIZE=0 or
# ZELTO_FUZZ_SECONDS=0 leaves either out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

"$root/scripts/build.sh" "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$(nproc)"

if [ "${ZELTO_SANITIZE:-1}" = "1" ]; then
    "$root/scripts/build.sh" "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DZELTO_SANITIZE=ON -DZELTO_BUILD_BENCH=OFF
    # Leaks inside system libraries are not ours to mend.
    LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
    ASAN_OPTIONS="detect_leaks=1:strict_init_order=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir "$root/build/sanitize" --output-on-failure --parallel "$(nproc)"
fi

if [ "${ZELTO_FUZZ_SECONDS:-30}" != "0" ]; then
    "$root/scripts/fuzz.sh" "${ZELTO_FUZZ_SECONDS:-30}"
fi
