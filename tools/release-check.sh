#!/usr/bin/env bash
# Checks that the checked-out commit makes a sound, reproducible release.
# tools/test.sh runs it as its "release" step, in two parts:
#
#   tools/release-check.sh build DIR   two clean clones of HEAD in DIR, in
#                                      folders of different names, each
#                                      running tools/release.sh
#   tools/release-check.sh test DIR    the two releases byte for byte, the
#                                      released programs' PE check, and one
#                                      full-screen start of each under Wine
#
# The test part runs Wine with the caller's WINEPREFIX and DISPLAY (an Xvfb
# of its own where DISPLAY is unset). It ends with a line
# "N tests passed, N tests failed out of N".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
phase="${1:-}"
out="${2:-}"
[ -n "$out" ] && { [ "$phase" = build ] || [ "$phase" = test ]; } || {
  echo "usage: tools/release-check.sh build|test DIR" >&2
  exit 2
}
mkdir -p "$out" && out="$(cd "$out" && pwd)"
clones=(one second-clone)

build() {
  local commit clone
  commit=$(git -C "$root" rev-parse HEAD) || return 1
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "release-check: uncommitted changes are not part of the check; it builds $commit"
  fi
  for clone in "${clones[@]}"; do
    rm -rf "${out:?}/$clone"
    # HEAD fetched by name: a detached commit is on no branch to clone.
    git clone -q --no-checkout "$root" "$out/$clone" &&
      git -C "$out/$clone" fetch -q "$root" HEAD &&
      git -C "$out/$clone" checkout -q --detach "$commit" || return 1
    echo "=== release of $commit in $out/$clone"
    if ! (cd "$out/$clone" && tools/release.sh) >"$out/$clone.log" 2>&1; then
      tail -n 40 "$out/$clone.log"
      return 1
    fi
    grep '^release: ' "$out/$clone.log" | grep -v building
  done
}

passed=0
failed=0
result() {
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1)); echo "ok: $2"
  else
    failed=$((failed + 1)); echo "FAIL: $2"
  fi
}

check() {
  local one="$out/${clones[0]}" two="$out/${clones[1]}" zip_one zip_two differ=0 f
  zip_one=$(tail -n 1 "$one.log")
  zip_two=$(tail -n 1 "$two.log")
  local stage_one="$one/build/release-build/stage" stage_two="$two/build/release-build/stage"
  for f in pomarelo.scr pomarelo64.scr; do
    cmp "$stage_one/$f" "$stage_two/$f" || differ=1
  done
  cmp "$zip_one" "$zip_two" || differ=1
  if [ "$differ" -ne 0 ] && command -v diffoscope >/dev/null; then
    diffoscope --text - "$zip_one" "$zip_two" | head -n 80
  fi
  result "$differ" "two clones of one commit give byte-identical programs and ZIP"

  # The programs as released: out of the ZIP.
  local unpacked="$out/unpacked" version
  version=$(basename "$zip_one" .zip)
  version="${version#pomarelo-saver-}"
  rm -rf "$unpacked"
  python3 -m zipfile -e "$zip_one" "$unpacked" || return 1
  python3 "$root/tests/release/check_pe.py" "$version" "$unpacked/pomarelo.scr" "$unpacked/pomarelo64.scr"
  result $? "the released programs are stripped GUI programs with ASLR, DEP, their resources and version $version"

  # One start each (where 32-bit code is emulated, a start costs a minute).
  for f in pomarelo64.scr pomarelo.scr; do
    python3 "$root/tests/e2e/saver_e2e.py" --scr "$unpacked/$f" --wine-run "$root/tools/wine-run" \
      --logo "$root/resources/logo.png" --out "$out/shots-${f%.scr}" fullscreen-key
    result $? "released $f: full-screen shows the saver and a key ends it with exit code 0"
  done
}

if [ "$phase" = build ]; then
  build
  exit
fi
check || result 1 "the release ZIP could be unpacked"
echo "$passed tests passed, $failed tests failed out of $((passed + failed))"
[ "$failed" -eq 0 ]
