#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only.
# Run as root (or with sudo available). A second run installs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev zlib1g-dev libpng-dev
  g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32 xvfb xdotool x11-utils imagemagick python3
  libspng-dev libstb-dev liblodepng-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
