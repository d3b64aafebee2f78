#!/usr/bin/env bash
# Builds the saver for Windows and runs it full-screen under Wine.
#
#   tools/run.sh
#
# With DISPLAY set, the saver runs on that display until a key, a mouse
# button or a mouse move ends it. Without a display it runs on an Xvfb of
# its own for a few seconds once its first frame is up, saves a screenshot
# of the screen and prints the screenshot's path.
#
# Environment: POMARELO_BUILD_DIR (default build/windows), POMARELO_SCREEN
# (the Xvfb screen, default 1440x900x24), POMARELO_RUN_SECONDS (how long
# the animation runs before the screenshot, default 5), POMARELO_SHOT (the
# screenshot's path, default <build dir>/pomarelo-screenshot.png).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
POMARELO_ROOT="$root"
source "$root/tools/common.sh"
build="${POMARELO_BUILD_DIR:-$root/build/windows}"
screen="${POMARELO_SCREEN:-1440x900x24}"
seconds="${POMARELO_RUN_SECONDS:-5}"
shot="${POMARELO_SHOT:-$build/pomarelo-screenshot.png}"
# Bound on the wait for the first frame: a 32-bit program starts slowly
# where the machine emulates 32-bit code.
start_bound="${POMARELO_START_BOUND:-1800}"
wine_environment

"$root/tools/setup.sh"
cd "$root"
configure_preset windows "$build"
cmake --build "$build" --target pomarelo -j2
scr="$build/app/pomarelo.scr"
[ -f "$scr" ] || { echo "run.sh: $scr was not built" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ]; then
  wine_prefix_ready
  echo "Running the saver on $DISPLAY; a key, a mouse button or a mouse move ends it."
  exec "$root/tools/wine-run" "$scr" /s
fi

xvfb_pid=""
saver_pid=""
cleanup() {
  # Only what this script started.
  [ -n "$saver_pid" ] && kill -KILL "$saver_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

start_xvfb "$screen" || exit 1
echo "No display: running the saver on Xvfb $DISPLAY ($screen)."
wine_prefix_ready

"$root/tools/wine-run" "$scr" /s &
saver_pid=$!

# The saver is up once its frame covers the screen: the test the
# end-to-end scenarios wait on too.
frame_up() { python3 "$root/tests/e2e/check_screenshot.py" --frame-up; }
deadline=$((SECONDS + start_bound))
until frame_up; do
  if ! kill -0 "$saver_pid" 2>/dev/null; then
    echo "run.sh: the saver ended before showing its frame" >&2
    exit 1
  fi
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "run.sh: no frame after ${start_bound} s" >&2
    exit 1
  fi
  sleep 0.5
done
# Let it snow for a while before the picture is taken.
sleep "$seconds"
mkdir -p "$(dirname "$shot")"
import -window root "$shot"

# End the saver the way a person would: with a key.
xdotool key space || true
for _ in $(seq 120); do
  kill -0 "$saver_pid" 2>/dev/null || break
  sleep 0.5
done
echo "Screenshot: $shot"
if kill -0 "$saver_pid" 2>/dev/null; then
  echo "run.sh: the saver did not end on a key press" >&2
  exit 1
fi
wait "$saver_pid" && rc=0 || rc=$?
saver_pid=""
echo "The saver ended with exit code $rc."
[ "$rc" -eq 0 ] || { echo "run.sh: the saver should end with exit code 0" >&2; exit 1; }
