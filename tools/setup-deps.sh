#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the panel.
# Extra package names may be passed as arguments (CI adds clang, MinGW, Wine).
set -euo pipefail

packages=(
    build-essential g++ cmake ninja-build pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
    libcli11-dev nlohmann-json3-dev
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    python3-jsonschema python3-prometheus-client ansible-core
    fonts-ipafont-gothic fonts-noto-cjk
    libudev-dev umockdev libumockdev-dev
    nodejs
    "$@"
)
# npm for the Ember+ consumer test; a Node.js package that brings its own npm conflicts with
# Debian's npm package.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
