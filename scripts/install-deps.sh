#!/usr/bin/env bash
# Installs every Debian package the project needs, skipping what is present.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zip unzip
  libsdl2-dev libepoxy-dev libstb-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libgl1-mesa-dri libegl1 libegl-mesa0 imagemagick xvfb
  libopenal-dev libsndfile1-dev lame vorbis-tools sox flac
  clang libclang-rt-14-dev
  gcovr lintian desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
