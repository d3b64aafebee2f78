#!/usr/bin/env bash
# Builds the release: both savers optimised and stripped, packed with
# INSTALL.txt and SHA256SUMS into dist/pomarelo-saver-<version>.zip, whose
# path is the last line printed.
#
# The same commit gives the same bytes in whatever folder it is built: the
# programs carry no link time and no build paths, and the ZIP's entries are
# in name order, dated with the commit's time (SOURCE_DATE_EPOCH).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
POMARELO_ROOT="$root"
source "$root/tools/common.sh"
jobs="${POMARELO_JOBS:-$(nproc)}"

"$root/tools/setup.sh" release || { echo "release: setup failed" >&2; exit 1; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || {
    echo "release: not a git checkout; set SOURCE_DATE_EPOCH to the sources' date" >&2
    exit 1
  }
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "release: the checkout has uncommitted changes; the ZIP is dated by the last commit" >&2
  fi
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

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

stage="$work/stage"
mkdir -p "$stage" dist
cp "$work/windows/app/pomarelo.scr" "$work/windows64/app/pomarelo64.scr" "$stage/"
# Notepad before Windows 10 shows a text file in one line unless its lines
# end in CR LF.
sed 's/$/\r/' resources/INSTALL.txt >"$stage/INSTALL.txt"
(cd "$stage" && sha256sum pomarelo.scr pomarelo64.scr >SHA256SUMS)

zip_path="$root/dist/pomarelo-saver-$version.zip"
rm -f "$zip_path"
(cd "$stage" && zip -q -X -9 "$zip_path" INSTALL.txt SHA256SUMS pomarelo.scr pomarelo64.scr)
# Entries in name order, each dated SOURCE_DATE_EPOCH, with fixed permissions
# and no owner fields.
strip-nondeterminism -t zip -T "$SOURCE_DATE_EPOCH" "$zip_path"

for f in pomarelo.scr pomarelo64.scr; do
  echo "release: $f $(stat -c %s "$stage/$f") bytes, sha256 $(sha256sum "$stage/$f" | cut -d' ' -f1)"
done
echo "release: $(basename "$zip_path") sha256 $(sha256sum "$zip_path" | cut -d' ' -f1)"
echo "$zip_path"
