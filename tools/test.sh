#!/usr/bin/env bash
# Sets up, builds and runs every test: natively, under ASan+UBSan and TSan,
# the same test programs built for Windows under Wine (on Xvfb), the saver
# end to end under Wine, and a bounded fuzz run of the PNG decoder.
#
#   tools/test.sh            everything
#   POMARELO_PRESETS="native windows" tools/test.sh    a subset
#
# A second run installs nothing and rebuilds only what changed.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
presets=(${POMARELO_PRESETS:-native native-asan native-tsan fuzz windows})
jobs="${POMARELO_JOBS:-$(nproc)}"

"$root/tools/setup.sh" || { echo "test: setup failed" >&2; exit 1; }

# The Wine prefix is the project's own; only the wineserver started here is
# stopped at the end.
export WINEPREFIX="${POMARELO_WINEPREFIX:-$HOME/.cache/pomarelo/wineprefix}"
export POMARELO_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG=-all
xvfb_pid=""
started_wineserver=""
cleanup() {
  if [ -n "$started_wineserver" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM

start_display() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null; xvfb_pid=""
  done
  echo "test: could not start Xvfb" >&2
  return 1
}

start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if ! pgrep -f "wineserver.* -p" >/dev/null 2>&1; then
    wineserver -p >/dev/null 2>&1 &
    started_wineserver=1
  fi
  # The first start of a prefix (and of each wineserver session) boots Wine's
  # services; do it here, once, rather than inside a test's time bound.
  echo "test: starting Wine in $WINEPREFIX (slow the first time)"
  timeout 1800 "$root/tools/wine-run" cmd /c exit >/dev/null 2>&1
}

failed=()
summaries=()
for preset in "${presets[@]}"; do
  rm -f "build/$preset/ctest.log"
  echo "=== $preset: build"
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null || { failed+=("$preset:configure"); continue; }
  fi
  if ! cmake --build --preset "$preset" -j "$jobs"; then
    failed+=("$preset:build"); continue
  fi
  if [ "$preset" = windows ]; then
    [ -n "${DISPLAY:-}" ] && [ -z "${POMARELO_USE_DISPLAY:-}" ] && unset DISPLAY
    [ -n "${DISPLAY:-}" ] || start_display || { failed+=("windows:display"); continue; }
    start_wine
  fi
  echo "=== $preset: test"
  log="build/$preset/ctest.log"
  extra=()
  # Where Wine's 32-bit half runs through qemu-user, the emulator now and
  # then loses a thread wake-up and crashes a program; a failed Windows test
  # gets one more run there.
  if [ "$preset" = windows ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    extra=(--repeat until-pass:2)
  fi
  ctest --preset "$preset" -j "$jobs" "${extra[@]}" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  summaries+=("$preset: $(grep -E 'tests passed' "$log" | tail -1)")
  [ "$status" -eq 0 ] || failed+=("$preset:test")
done

echo
echo "=== summary"
printf '%s\n' "${summaries[@]}"
passed=0; total=0
for preset in "${presets[@]}"; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "build/$preset/ctest.log" 2>/dev/null | tail -1)
  [ -n "$line" ] || continue
  t=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  total=$((total + t)); passed=$((passed + t - f))
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
fi
echo "$passed passed, $((total - passed)) failed"
[ ${#failed[@]} -eq 0 ]
