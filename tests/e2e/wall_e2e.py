#!/usr/bin/env python3
"""End-to-end test of the saver on a video wall's desktop, under Wine.

    wall_e2e.py --scr pomarelo.scr --wine-run tools/wine-run --logo resources/logo.png --out DIR

One Xvfb screen of 11520 x 6480, a 3 x 3 wall of 4K monitors: its frame and
its backdrop are 298 MB each, more than the image limit. One saver start:
the whole screen shows the blue backdrop with the logo at the top-left, the
snow leaves no trails while it falls, and a key ends the saver promptly with
code 0. Wine keeps the screen it first saw for as long as its wineserver
runs, so the test has its own prefix and wineserver, as the two-monitor
test does. Exit status: 0 passed, 1 failed, 77 skipped.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import monitors_e2e  # noqa: E402
import saver_e2e  # noqa: E402
from saver_e2e import (CHILDREN, check, first_missing, is_blue, is_white, log,  # noqa: E402
                       logo_area_counts, parse_ppm, read_logo, snow_moved, verdict,
                       wait_until)

SKIP = 77
SCALE = float(os.environ.get("POMARELO_E2E_TIME_SCALE", "1") or "1")
WIDTH, HEIGHT = 11520, 6480
# With trails, 20 s of snow whitened half such a screen. Each screenshot
# takes seconds here; the snow must have moved in each since the one before.
MOVES = 3
KEY_BOUND = 1.8 * SCALE  # quiet, it ends in 0.2 s; waiting on the window's teardown took 2.05 s or more


def shot():
    r = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                       capture_output=True, timeout=120)
    return parse_ppm(r.stdout) if r.returncode == 0 else None


def shares(picture, step=8):
    """Of sample points right of and below the logo: blue, white."""
    blue = white = total = 0
    for y in range(0, picture.height, step):
        for x in range(1440 if y < 900 else 0, picture.width, step):
            p = picture.at(x, y)
            total += 1
            blue += is_blue(p)
            white += is_white(p)
    return blue / total, white / total


def run():
    display = monitors_e2e.start_x_server(["Xvfb", "-screen", "0", "%dx%dx24" % (WIDTH, HEIGHT),
                                           "-nolisten", "tcp"], "xvfb", os.environ.copy())
    if not check(display is not None, "the wall's display starts"):
        return
    os.environ["DISPLAY"] = display[1]
    log("Wine prefix %s" % monitors_e2e.own_prefix(ARGS.wine_run, "-wall"))
    monitors_e2e.stop_wineserver()
    saver_e2e.Proc(["wineserver", "-p", "-f"], "wineserver")
    monitors_e2e.WINESERVER_STARTED = True

    # A new wineserver starts Wine's desktop process with the first program.
    # A program that waits more than 10 s for it gets no display driver, and
    # a saver without a window ends at once: on a loaded machine the
    # desktop of a screen this large can take that long. A console program
    # starts it first.
    cmd = saver_e2e.Proc([ARGS.wine_run, "cmd", "/c", "exit"], "desktop")
    check(cmd.wait(monitors_e2e.START_BOUND) == 0, "Wine starts on the wall's display")
    # Started once more if it ends by itself with code 0 first, as in the
    # other full-screen scenarios: the cursor's true place can reach a new
    # saver as a move a moment after it starts.
    for attempt in (1, 2):
        p = saver_e2e.Proc([ARGS.wine_run, ARGS.scr, "/s"], "saver")
        first = wait_until(lambda: "ended" if not p.running() else
                           (lambda s: s if s and shares(s, 64)[0] > 0.4 else None)(shot()),
                           monitors_e2e.START_BOUND, "the saver's frame")
        if first != "ended" or p.p.returncode != 0:
            break
        log("the saver ended by itself with code 0; starting it once more")
    if first == "ended":
        log("the saver ended by itself with code %r" % p.p.returncode)
    if not check(first not in (None, "ended"), "the saver shows its frame"):
        return
    last, moves = first, 0
    while moves < MOVES and p.running():
        now = wait_until(lambda: (lambda s: s if s and snow_moved(last, s) else None)(shot()),
                         monitors_e2e.END_BOUND, "the snow to move")
        if now is None:
            break
        last, moves = now, moves + 1
    check(moves == MOVES, "the snow moved in %d screenshots in a row" % moves)

    blue, white = shares(last)
    log("right of and below the logo: %.4f blue, %.4f white" % (blue, white))
    check(blue + white > 0.995, "the whole screen is covered by the blue backdrop and snow")
    check(white < 0.02, "the snow leaves no trails")
    clear, clear_blue, clear_white, solid, solid_match = logo_area_counts(last, read_logo(ARGS.logo))
    check(solid > 0 and solid_match >= 0.85 * solid, "the logo shows at the top-left")

    start = time.monotonic()
    saver_e2e.xdotool("key", "space")
    rc = p.wait(monitors_e2e.END_BOUND)
    took = time.monotonic() - start
    check(rc == 0, "a key ends the saver with exit code 0 (got %r)" % rc)
    check(took < KEY_BOUND, "it ends %.2f s after the key, within %.1f s" % (took, KEY_BOUND))


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument("--scr", required=True)
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--logo", required=True)
    ap.add_argument("--out", required=True)
    ARGS = ap.parse_args()
    ARGS.scenario = "wall"
    saver_e2e.ARGS = ARGS
    os.makedirs(ARGS.out, exist_ok=True)
    missing = [t for t in ("Xvfb", "xdotool", "import", "wineserver") if not shutil.which(t)]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    if first_missing((ARGS.scr, ARGS.wine_run, ARGS.logo)):
        return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        run()
    finally:
        if monitors_e2e.WINESERVER_STARTED:
            monitors_e2e.stop_wineserver()
        for c in reversed(CHILDREN):
            c.kill()
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
