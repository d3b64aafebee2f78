#!/usr/bin/env bash
# Builds the saver's Windows Installer package from resources/pomarelo.wxs:
#
#   tools/msi.sh x64|x86 VERSION SAVER OUT.msi
#
# SAVER is the program that the package installs as pomarelo.scr. The same
# arguments give the same bytes, dated SOURCE_DATE_EPOCH (which must be set):
# wixl's own choices that differ from run to run, the package code and the
# summary's times, are fixed here.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -eq 4 ] && { [ "$1" = x64 ] || [ "$1" = x86 ]; } || {
  echo "usage: tools/msi.sh x64|x86 VERSION SAVER OUT.msi" >&2
  exit 2
}
arch="$1" version="$2" saver="$3" out="$4"
: "${SOURCE_DATE_EPOCH:?tools/msi.sh: set SOURCE_DATE_EPOCH to the release date}"
wxs="$root/resources/pomarelo.wxs"

defines=(-D Arch="$arch" -D Version="$version" -D Saver=pomarelo.scr -D Icon=pomarelo.ico)
# The upgrade code, as the source gives it for this processor.
upgrade_code=$(wixl -E "${defines[@]}" -D ProductCode=none "$wxs" |
  sed -n 's/.*<Product [^>]*UpgradeCode="\([0-9A-F-]\{36\}\)".*/\1/p')
[ -n "$upgrade_code" ] || { echo "msi: no $arch upgrade code in $wxs" >&2; exit 1; }

# Name-based codes: each version gets its own product code, so that a newer
# one replaces an older in place; the package code names these very bytes.
name_uuid() {
  python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$@"
}
product_code=$(name_uuid "$upgrade_code" "product $version")
package_code=$(name_uuid "$upgrade_code" \
  "package $version $(cat "$wxs" "$saver" "$root/resources/pomarelo.ico" | sha256sum | cut -d' ' -f1)")

# wixl looks its sources up by relative name, and the cabinet records each
# file's time: both from a folder of their own, dated like the release.
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
cp "$saver" "$files/pomarelo.scr"
cp "$root/resources/pomarelo.ico" "$files/pomarelo.ico"
touch -d "@$SOURCE_DATE_EPOCH" "$files/pomarelo.scr" "$files/pomarelo.ico"

template=$([ "$arch" = x64 ] && echo "x64;1033" || echo "Intel;1033")
at="$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')"
rm -f "$out"
(cd "$files" && TZ=UTC faketime -f "$at" wixl -a "$arch" "${defines[@]}" \
  -D ProductCode="$product_code" -o "$files/out.msi" "$wxs")
TZ=UTC faketime -f "$at" msibuild "$files/out.msi" \
  -s "Pomarelo Screen Saver $version" Pomarelo "$template" "{$package_code}"
mv "$files/out.msi" "$out"
