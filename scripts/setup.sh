#!/usr/bin/env bash
# Installs every Debian package the project needs (build, run, tests, benchmarks, the sanitizer
# build and the fuzz targets).
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-base-private-dev libgl-dev
    zlib1g-dev libjpeg62-turbo-dev libstorm-dev libsquish-dev libcurl4-openssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth imagemagick x11-utils
    fonts-liberation2 fonts-dejavu-core
    xdg-utils smpq python3 python3-pil
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
