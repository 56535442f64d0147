#!/usr/bin/env bash
# Installs what is missing, builds Zelto and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" run
"$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DZELTO_BUILD_TESTS=OFF -DZELTO_BUILD_BENCH=OFF

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "zelto: no display found; start it with QT_QPA_PLATFORM=offscreen, under xvfb-run, or with QT_QPA_PLATFORM=vnc and a VNC viewer." >&2
    exit 1
fi
exec "$root/build/release/src/app/zelto" "$@"
