#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running, testing and packaging Velmora need.
set -euo pipefail
packages=(build-essential cmake git pkg-config clang-format clang-tidy clazy qt6-base-dev qt6-webengine-dev libgl-dev
          libxkbcommon-dev fonts-dejavu-core fonts-noto-mono fonts-wine desktop-file-utils appstream lintian
          libtidy-dev libhunspell-dev hunspell-en-us)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
