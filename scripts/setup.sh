#!/usr/bin/env bash
# setup.sh [run|test]: installs the Debian packages that are missing.
#   run  (the default): what building and running Zelto need.
#   test: those, and what the test command needs beyond them (pandoc reads saved files back, the
#         desktop files are validated, the fuzz targets and sanitizers need clang, the sources are
#         checked against .clang-format, the window tests run under Xvfb).
# ZELTO_SETUP_EXTRA adds packages of the caller's own.
set -euo pipefail

run_packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libfontconfig-dev
    fonts-liberation fonts-dejavu-core
)
test_packages=(
    pandoc xvfb xauth desktop-file-utils appstream
    clang libclang-rt-14-dev clang-format
)

case "${1:-run}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: $0 [run|test]" >&2
        exit 2
        ;;
esac
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
