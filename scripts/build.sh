#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures the project into DIR and builds it. Options given to
# a DIR configured before are applied to it too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
if [ ! -f "$dir/build.ninja" ]; then
    # ccache, where installed, makes a rebuild of unchanged sources (another clone, the sanitizer
    # build after a branch switch) a cache look-up.
    launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "$@"
elif [ $# -gt 0 ]; then
    cmake -S "$root" -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
