#!/usr/bin/env bash
# Sets up, builds and runs every test: natively, under ASan+UBSan and TSan,
# the same test programs built for 64- and 32-bit Windows under Wine (on
# Xvfb), the saver end to end under Wine, and a bounded fuzz run of the PNG
# decoder; last, the release: built from clean clones, signed and unsigned,
# compared byte for byte, each released program started once, and the
# Windows Installer package installed, upgraded and removed under Wine
# (tools/release-check.sh).
#
#   tools/test.sh            everything
#   POMARELO_PRESETS="native windows64" tools/test.sh    a subset
#
# Where this machine emulates 32-bit x86 code (each 32-bit Wine process
# start then costs about a minute), the 32-bit build gets only a smoke run
# of four saver starts; the 64-bit build, which runs at native speed, gets
# every Windows test. Elsewhere both builds get everything.
#
# A second run installs nothing and rebuilds only what changed.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
POMARELO_ROOT="$root"
source "$root/tools/common.sh"
presets=(${POMARELO_PRESETS:-native native-asan native-tsan fuzz windows64 windows release})
jobs="${POMARELO_JOBS:-$(nproc)}"

"$root/tools/setup.sh" || { echo "test: setup failed" >&2; exit 1; }

# The Wine prefix is the project's own; only the Xvfb and the wineserver
# started here are stopped at the end.
wine_environment
xvfb_pid=""
wineserver_pid=""
cleanup() {
  if [ -n "$wineserver_pid" ] && kill -0 "$wineserver_pid" 2>/dev/null; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "${build_pid:-}" ]; then kill "$build_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wine_up=""
start_wine() {
  [ -n "$wine_up" ] && return 0
  if [ -n "${DISPLAY:-}" ] && [ -z "${POMARELO_USE_DISPLAY:-}" ]; then unset DISPLAY; fi
  # Larger than the logo (1440 x 900), so that the frame beyond it shows too.
  if [ -z "${DISPLAY:-}" ]; then start_xvfb 1600x1000x24 || return 1; fi
  wine_prefix_ready || return 1
  # A wineserver left from making the prefix ends a few seconds after its
  # last process; a persistent one started now would find it and give up.
  timeout 30 wineserver -w >/dev/null 2>&1
  # One wineserver kept alive for the whole run: each Wine process then
  # starts in a fraction of a second. Where one already serves this prefix,
  # the new one ends at once and that one is used.
  # In the foreground (-f), so that its process id is the server's own.
  wineserver -p -f >/dev/null 2>&1 &
  wineserver_pid=$!
  echo "test: starting Wine in $WINEPREFIX"
  timeout 600 "$root/tools/wine-run" cmd /c exit >/dev/null 2>&1
  wine_up=1
}

seconds_since() { echo $((SECONDS - $1)); }

# Configures and builds one preset, its output in build/<preset>/build.log
# and its wall-clock seconds in build/<preset>/build.seconds.
build_preset() {
  local preset="$1" dir="build/$1" t0=$SECONDS targets=() status
  mkdir -p "$dir"
  # Where 32-bit code is emulated the 32-bit build only needs what its smoke
  # run starts.
  if [ "$preset" = windows ] && i386_emulated; then targets=(--target pomarelo preview_host); fi
  if [ "$preset" = release ]; then
    POMARELO_JOBS="$jobs" "$root/tools/release-check.sh" build "$dir" >"$dir/build.log" 2>&1
  else
    { configure_preset "$preset" "$dir" &&
        cmake --build --preset "$preset" -j "$jobs" "${targets[@]}"; } >"$dir/build.log" 2>&1
  fi
  status=$?
  seconds_since "$t0" >"$dir/build.seconds"
  return $status
}

# Each preset's build runs while the preset before it is tested: the tests
# spend much of their time waiting (for Wine, the X display, the fuzzer's
# one core), and the next build uses the idle processor meanwhile.
failed=()
timings=()
build_preset "${presets[0]}" &
build_pid=$!
for i in "${!presets[@]}"; do
  preset="${presets[$i]}"
  dir="build/$preset"
  rm -f "$dir/ctest.log"
  wait "$build_pid"
  build_status=$?
  next="${presets[$((i + 1))]:-}"
  if [ -n "$next" ]; then
    build_preset "$next" &
    build_pid=$!
  fi
  build_time=$(cat "$dir/build.seconds" 2>/dev/null || echo "?")
  echo "=== $preset: built in $build_time s"
  if [ "$build_status" -ne 0 ]; then
    tail -n 60 "$dir/build.log"
    failed+=("$preset:build"); timings+=("$preset: build failed after $build_time s (build/$preset/build.log)")
    continue
  fi
  grep -E 'warning:|error:' "$dir/build.log" | head -20
  selection=()
  case "$preset" in
    windows|windows64|release)
      start_wine || { failed+=("$preset:wine"); timings+=("$preset: Wine did not start"); continue; }
      if [ "$preset" = windows ] && i386_emulated; then
        echo "=== $preset: 32-bit code is emulated here: the smoke run only"
        # qemu-user now and then loses a thread wake-up and crashes a
        # program: a failed run gets one more.
        selection=(-L smoke --repeat until-pass:2)
      else
        selection=(-LE smoke)
      fi
      ;;
  esac
  echo "=== $preset: test"
  t1=$SECONDS
  if [ "$preset" = release ]; then
    "$root/tools/release-check.sh" test "$dir" 2>&1 | tee "$dir/ctest.log"
  else
    ctest --preset "$preset" -j "$jobs" "${selection[@]}" 2>&1 | tee "$dir/ctest.log"
  fi
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed+=("$preset:test")
  result=$(grep -E 'tests passed' "$dir/ctest.log" | tail -1)
  timings+=("$preset: build $build_time s, test $(seconds_since "$t1") s: ${result:-no result}")
done

echo
echo "=== summary (wall-clock seconds)"
printf '%s\n' "${timings[@]}"
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
echo "total: $SECONDS s"
echo "$passed passed, $((total - passed)) failed"
[ ${#failed[@]} -eq 0 ]
