#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only.
# Run as root (or with sudo available). A second run installs nothing.
#   tools/setup.sh           everything
#   tools/setup.sh release   only what tools/release.sh needs
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev zlib1g-dev libpng-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine32 wine64 qemu-user-static xvfb xserver-xephyr xdotool x11-utils imagemagick python3
  libspng-dev libstb-dev liblodepng-dev
  git zip strip-nondeterminism diffoscope-minimal
  wixl msitools faketime osslsigncode openssl
)
# The release: the two cross compilers, the tools that pack the ZIP and the
# Windows Installer packages the same way every time, and the signing tool.
release_packages=(
  cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  git zip strip-nondeterminism wixl msitools faketime osslsigncode python3
)
release_only=""
if [ "${1:-}" = release ]; then
  packages=("${release_packages[@]}")
  release_only=1
fi

register_i386_emulation() {
  # Some machines (some virtual ones among them) cannot execute 32-bit x86
  # code, so the 32-bit Wine loader fails with "Exec format error". There the
  # kernel is told to run 32-bit x86 programs through qemu-i386. Wine is then
  # slow (about a minute of CPU per process start) but real.
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/qemu-i386" ] && return 0
  [ -e "$misc/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$misc"
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:OCF' \
    | $sudo tee "$misc/register" >/dev/null
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || {
    echo "setup: 32-bit x86 programs cannot run here, even through qemu" >&2
    return 1
  }
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  [ -n "$release_only" ] || register_i386_emulation
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
if [ -z "$release_only" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
# A mirror can fail one index for days (seen: the i386 security index,
# "File has unexpected size"). The amd64 security index then offers newer
# versions of libraries that wine32 needs for i386 too, and a library built
# for both must be at one version in both, so the install breaks. Without
# every index, the install takes the release's own versions, which both
# architectures have; packages already newer are kept.
release=()
if ! $sudo apt-get update -qq; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  echo "setup: apt-get update failed for some index; installing from ${codename:-the indexes that loaded}" >&2
  [ -z "$codename" ] || release=(-t "$codename")
fi
$sudo apt-get install -y -qq --no-install-recommends "${release[@]}" "${missing[@]}" >/dev/null
[ -n "$release_only" ] || register_i386_emulation
