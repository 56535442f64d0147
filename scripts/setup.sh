#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zelto need, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libfontconfig-dev
    fonts-liberation fonts-dejavu-core
    pandoc xvfb xauth desktop-file-utils appstream
    clang libclang-rt-14-dev
)
if [ "${ZELTO_SETUP_EXTRA:-}" != "" ]; then
    # shellcheck disable=SC2206
    packages+=(${ZELTO_SETUP_EXTRA})
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
