#!/usr/bin/env bash
# Builds the release into dist/: both savers optimised and stripped, packed
# with INSTALL.txt, BUILDINFO.txt and SHA256SUMS into
# pomarelo-saver-<version>.zip; the Windows Installer packages
# pomarelo-saver-<version>-x64.msi and -x86.msi; and beside them
# BUILDINFO.txt and SHA256SUMS of all of it. The ZIP's path is the last line
# printed.
#
#   tools/release.sh [--allow-dirty]
#
# The release is built from the commit alone: a checkout with uncommitted
# changes is refused (--allow-dirty builds it anyway, and BUILDINFO.txt says
# so), and nothing from the caller's environment reaches the tools. The same
# commit then gives the same bytes in whatever folder, by whatever user it is
# built: the programs carry no link time and no build paths, the ZIP's
# entries are in name order, and everything is dated with the commit's time
# (SOURCE_DATE_EPOCH).
#
# With POMARELO_SIGN_PKCS12 (a PKCS#12 file) and POMARELO_SIGN_PASSWORD_FILE
# (the file holding its password, if it has one), both programs and both
# packages are signed (Authenticode, SHA-256), at the release's date, so that
# one commit signed with one certificate gives the same bytes too.
# POMARELO_SIGN_TIMESTAMP_URL adds a time stamp from that RFC 3161 server;
# such a release can no longer be rebuilt to the same bytes.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The signing files, named from the caller's folder.
for variable in POMARELO_SIGN_PKCS12 POMARELO_SIGN_PASSWORD_FILE; do
  if [ -n "${!variable:-}" ]; then
    [ -r "${!variable}" ] || { echo "release: $variable: cannot read ${!variable}" >&2; exit 1; }
    declare "$variable=$(realpath "${!variable}")"
  fi
done
cd "$root"

allow_dirty=""
case "${1:-}" in
  "") ;;
  --allow-dirty) allow_dirty=1 ;;
  *) echo "usage: tools/release.sh [--allow-dirty]" >&2; exit 2 ;;
esac

"$root/tools/setup.sh" release || { echo "release: setup failed" >&2; exit 1; }

# Compilers, CMake, zip and the rest read settings from the environment
# (CFLAGS, LDFLAGS, CMAKE_GENERATOR, ZIPOPT, GCC_EXEC_PREFIX, LANG, TZ...):
# none of them takes part. Only these few settings of the release itself go
# through, the tools come from Debian's folders, and time, locale and file
# modes are fixed.
for variable in $(compgen -e); do
  case "$variable" in
    HOME|SOURCE_DATE_EPOCH|POMARELO_JOBS|POMARELO_SIGN_PKCS12|POMARELO_SIGN_PASSWORD_FILE|POMARELO_SIGN_TIMESTAMP_URL) ;;
    *) unset "$variable" 2>/dev/null || true ;;
  esac
done
export PATH=/usr/sbin:/usr/bin:/sbin:/bin TZ=UTC LC_ALL=C
umask 022
POMARELO_ROOT="$root"
source "$root/tools/common.sh"
jobs="${POMARELO_JOBS:-$(nproc)}"

dirty=$(git -C "$root" status --porcelain 2>/dev/null) || {
  echo "release: not a git checkout; a release is built from a commit" >&2
  exit 1
}
if [ -n "$dirty" ] && [ -z "$allow_dirty" ]; then
  printf '%s\n' "$dirty" | head -n 20 >&2 || true
  echo "release: the checkout has changes that are not committed; commit them," \
       "or build anyway with --allow-dirty" >&2
  exit 1
fi
commit=$(git -C "$root" rev-parse HEAD)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

# Always from a fresh folder: nothing an earlier build left can reach the
# release.
work=build/release-build
rm -rf "$work"
for preset in windows windows64; do
  echo "release: building $preset"
  configure_preset "$preset" "$work/$preset" -DPOMARELO_RELEASE=ON -DPOMARELO_TESTS=OFF
  cmake --build "$work/$preset" -j "$jobs" --target pomarelo >"$work/$preset/build.log" 2>&1 || {
    tail -n 40 "$work/$preset/build.log" >&2
    echo "release: the $preset build failed" >&2
    exit 1
  }
done

version=$(sed -n 's/^#define POMARELO_VERSION_TEXT "\(.*\)"$/\1/p' "$work/windows/resources/version.h")
[ -n "$version" ] || { echo "release: no version in $work/windows/resources/version.h" >&2; exit 1; }

# Authenticode, SHA-256, signed at the release's date; a time-stamp server,
# when named, adds its own countersigned time (and a release that cannot get
# one fails). osslsigncode reads the password from its file, so it is on no
# command line.
sign_args=()
if [ -n "${POMARELO_SIGN_PKCS12:-}" ]; then
  sign_args=(-pkcs12 "$POMARELO_SIGN_PKCS12" -h sha256 -n "Pomarelo Screen Saver" -time "$SOURCE_DATE_EPOCH")
  [ -z "${POMARELO_SIGN_PASSWORD_FILE:-}" ] || sign_args+=(-readpass "$POMARELO_SIGN_PASSWORD_FILE")
  [ -z "${POMARELO_SIGN_TIMESTAMP_URL:-}" ] || sign_args+=(-ts "$POMARELO_SIGN_TIMESTAMP_URL")
elif [ -n "${POMARELO_SIGN_PASSWORD_FILE:-}" ]; then
  echo "release: POMARELO_SIGN_PASSWORD_FILE is set, but no POMARELO_SIGN_PKCS12 to use it for" >&2
  exit 1
fi
sign() {
  [ ${#sign_args[@]} -gt 0 ] || return 0
  osslsigncode sign "${sign_args[@]}" -in "$1" -out "$1.signed" >"$work/sign.log" 2>&1 || {
    cat "$work/sign.log" >&2
    echo "release: signing $(basename "$1") failed" >&2
    exit 1
  }
  mv "$1.signed" "$1"
}

# Notepad before Windows 10 shows a text file in one line unless its lines
# end in CR LF; a line that has its CR already keeps just the one.
crlf() { sed 's/\r*$/\r/' "$@"; }

# What built the release: the commit and the Debian packages of the tools
# that shape its bytes.
build_record() {
  local tree="" when
  [ -z "$dirty" ] || tree=" with changes that are not committed"
  when=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')
  echo "Pomarelo Saver $version"
  echo "commit   $commit$tree"
  echo "date     $when (SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH)"
  if [ ${#sign_args[@]} -gt 0 ]; then
    echo "signed   Authenticode SHA-256"
  else
    echo "signed   no"
  fi
  echo "built with these Debian packages:"
  dpkg-query -W -f '${db:Status-Abbrev} ${Package} ${Version}\n' cmake ninja-build '*mingw-w64*' \
      wixl msitools 'libmsi*' 'libgcab*' osslsigncode zip strip-nondeterminism faketime python3 2>/dev/null |
    sed -n 's/^ii  */  /p' | sort
}

stage="$work/stage"
mkdir -p "$stage" dist
cp "$work/windows/app/pomarelo.scr" "$work/windows64/app/pomarelo64.scr" "$stage/"
sign "$stage/pomarelo.scr"
sign "$stage/pomarelo64.scr"
crlf resources/INSTALL.txt >"$stage/INSTALL.txt"
build_record | crlf >"$stage/BUILDINFO.txt"
(cd "$stage" && sha256sum pomarelo.scr pomarelo64.scr >SHA256SUMS)

name="pomarelo-saver-$version"
rm -f "dist/$name.zip" "dist/$name-x64.msi" "dist/$name-x86.msi" dist/BUILDINFO.txt dist/SHA256SUMS
zip_path="$root/dist/$name.zip"
(cd "$stage" && zip -q -X -9 "$zip_path" BUILDINFO.txt INSTALL.txt SHA256SUMS pomarelo.scr pomarelo64.scr)
# Entries in name order, each dated SOURCE_DATE_EPOCH, with fixed permissions
# and no owner fields.
strip-nondeterminism -t zip -T "$SOURCE_DATE_EPOCH" "$zip_path"

"$root/tools/msi.sh" x64 "$version" "$stage/pomarelo64.scr" "dist/$name-x64.msi"
"$root/tools/msi.sh" x86 "$version" "$stage/pomarelo.scr" "dist/$name-x86.msi"
sign "dist/$name-x64.msi"
sign "dist/$name-x86.msi"
cp "$stage/BUILDINFO.txt" dist/BUILDINFO.txt
(cd dist && sha256sum BUILDINFO.txt "$name.zip" "$name-x64.msi" "$name-x86.msi" >SHA256SUMS)

for f in pomarelo.scr pomarelo64.scr; do
  echo "release: $f $(stat -c %s "$stage/$f") bytes, sha256 $(sha256sum "$stage/$f" | cut -d' ' -f1)"
done
sed 's/^\([0-9a-f]*\)  \(.*\)/release: \2 sha256 \1/' dist/SHA256SUMS
if [ ${#sign_args[@]} -gt 0 ]; then
  echo "release: both programs and both packages signed with $(basename "$POMARELO_SIGN_PKCS12")"
else
  echo "release: not signed (POMARELO_SIGN_PKCS12 names no certificate)"
fi
echo "$zip_path"
