#!/usr/bin/env bash
# Installs what is missing, builds Zelto with its tests and runs every test headless.
# ZELTO_SANITIZE=1 also builds and runs the whole suite with AddressSanitizer and UBSan.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

"$root/scripts/build.sh" "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$(nproc)"

if [ "${ZELTO_SANITIZE:-0}" = "1" ]; then
    "$root/scripts/build.sh" "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DZELTO_SANITIZE=ON -DZELTO_BUILD_BENCH=OFF
    ctest --test-dir "$root/build/sanitize" --output-on-failure --parallel "$(nproc)"
fi
