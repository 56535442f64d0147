#!/usr/bin/env bash
# powercut.sh [ARGS...]: builds the power-cut exploration and runs it whole: every state a power
# cut could leave on the disk during a replacing save, an in-place save, a first save, a save over
# what a killed save left and a recovery record, each checked with the program's own code.
# Prints "OPERATION: N states, V violations" per operation and a closing "powercut: ..." line;
# exits 0 only when there is no violation. ARGS go to the explorer, for example:
#   scripts/powercut.sh --nosync --expect-violations --brief   the syncs removed: must see them
#   scripts/powercut.sh "in-place save"                         one operation
#   scripts/powercut.sh --per-cut 500 --seed 7         more states drawn at each point, another draw
# ZELTO_POWERCUT_BUILD=DIR builds into DIR (default build/powercut).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELTO_POWERCUT_BUILD:-$root/build/powercut}"

if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DZELTO_BUILD_TESTS=OFF -DZELTO_BUILD_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" --target powercut

export QT_QPA_PLATFORM=offscreen
exec "$build/powercut/powercut" "$@"
