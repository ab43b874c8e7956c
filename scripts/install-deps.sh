#!/usr/bin/env bash
# Installs every Debian package the build, the game and the tests need.
# Does nothing (and needs no network) when all of them are present.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libsdl2-dev libpng-dev libjpeg-dev zlib1g-dev
    libogg-dev libvorbis-dev libopenmpt-dev libmpg123-dev
    libfreetype-dev libcairo2-dev fonts-dancingscript fonts-noto-color-emoji
    fonts-lobster fonts-kaushanscript fonts-dejavu-core
    googletest libgtest-dev libbenchmark-dev libpixman-1-dev
    clang libclang-rt-14-dev
    xvfb xauth x11-utils libx11-dev xdotool python3
    dpkg-dev desktop-file-utils appstream lintian gettext
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
