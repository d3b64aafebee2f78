#!/usr/bin/env python3
"""End-to-end tests of the saver on desktops of several monitors and on a
display that changes while it runs, under Wine.

    monitors_e2e.py --scr pomarelo.scr --probe monitor_probe.exe
                    --wine-run tools/wine-run --logo resources/logo.png --out DIR
                    [two | wall | resize]

"two" (the default) is described first; "wall" and "resize" after it.

Xvfb shows Wine one monitor; Xephyr nested inside an Xvfb, with two screens,
Xinerama and no RandR, shows it two. This script starts both itself (never
the ambient DISPLAY): the primary monitor 1200 x 900 and a second one
1000 x 700 left of it and 100 pixels lower, so the virtual desktop starts at
a negative x and holds an area that no monitor shows.

Wine keeps the monitors it found for as long as its wineserver runs, so this
test has a Wine prefix of its own (the project's prefix with "-monitors"
appended) and its own wineserver, started on the two-monitor display and
stopped at the end.

Two saver starts:
  1. both monitors show the blue backdrop, the logo at their own top-left
     corner (clipped to the monitor) and snow; a move of the cursor onto the
     second monitor ends the saver with code 0;
  2. a key ends it with code 0.
Xephyr's pointer cannot enter its second screen (it falls back to the first
one's centre), so the move onto the second monitor goes through Windows
(monitor_probe move, which is SetCursorPos).

"wall": nine monitors of 640 x 480 in a 3 x 3 layout (Xephyr with nine
screens and Xinerama): every monitor blue with its logo and snow, and a key
ends the saver with code 0. One saver start.

"resize": one screen of 1280 x 960 on an Xephyr started with -resizeable,
whose sizes Wine offers as display modes. While the saver runs, another
program changes the mode to 1600 x 1200 and later back to 1280 x 960
(monitor_probe mode, which is ChangeDisplaySettingsExA). After each change
the whole new screen is the saver's (blue beyond the logo, the logo at the
top-left, the snow moving, the window the screen's size), and a key ends the
saver with code 0. One saver start.

Every wait ends on the event it waits for, bounded by a limit only a failure
reaches (scaled by POMARELO_E2E_TIME_SCALE). Exit status: 0 passed, 1 failed,
77 skipped (Xvfb, Xephyr, xdotool, ImageMagick or Wine missing).
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import saver_e2e  # noqa: E402
from saver_e2e import (CHILDREN, Proc, check, first_missing, is_blue, is_white,  # noqa: E402
                       log, logo_area_counts, logo_rows, read_logo, screenshot, verdict,
                       wait_until, xdotool)

SKIP = 77
SCALE = float(os.environ.get("POMARELO_E2E_TIME_SCALE", "1") or "1")
START_BOUND = 1200.0 * SCALE  # a new prefix boots Wine first
END_BOUND = 120.0 * SCALE
DISPLAY_BOUND = 30.0 * SCALE

# Xinerama places each screen at the origin given before it; Wine makes the
# first screen the primary monitor and moves it to (0, 0).
SCREENS = [((1000, 0), (1200, 900)), ((0, 100), (1000, 700))]

ARGS = None
WINESERVER_STARTED = False


# --- the two-monitor display --------------------------------------------------------

def start_x_server(argv, name, env):
    """Starts an X server with -displayfd; returns (process, ":N") or None."""
    read_end, write_end = os.pipe()
    proc = Proc(argv + ["-displayfd", str(write_end)], name, env=env, pass_fds=(write_end,))
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + DISPLAY_BOUND
    while time.monotonic() < deadline and not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        log("%s did not report its display number" % name)
        return None
    return proc, ":" + number.decode().strip()


def start_nested_display(outer_size, screens, options):
    """Xephyr with the given screens ((origin), (size)) inside an Xvfb."""
    outer = start_x_server(["Xvfb", "-screen", "0", outer_size + "x24", "-nolisten", "tcp"],
                           "xvfb", os.environ.copy())
    if outer is None:
        return None
    env = dict(os.environ, DISPLAY=outer[1])
    argv = ["Xephyr"]
    for (x, y), (w, h) in screens:
        argv += ["-origin", "%d,%d" % (x, y), "-screen", "%dx%d" % (w, h)]
    argv += options + ["-nolisten", "tcp"]
    nested = start_x_server(argv, "xephyr", env)
    if nested is None:
        return None
    os.environ["DISPLAY"] = nested[1]
    log("Xvfb %s, Xephyr %s inside it" % (outer[1], nested[1]))
    return nested[1]


def saver_windows():
    out = xdotool("search", "--name", "^SCREENSAVER$")
    return out.split() if out else []


# --- Wine ------------------------------------------------------------------------------

def own_prefix(wine_run, suffix="-monitors"):
    """The test's own prefix, copied from the project's when that one is made
    (a copy takes seconds; booting a new prefix takes minutes where 32-bit
    code is emulated)."""
    base = subprocess.run([wine_run, "--prefix"], capture_output=True, text=True,
                          timeout=60, check=True).stdout.strip().rstrip("/")
    prefix = base + suffix
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    ready = os.path.join(prefix, ".pomarelo-ready")
    if not os.path.exists(ready) and os.path.exists(os.path.join(base, ".pomarelo-ready")):
        log("copying the Wine prefix %s to %s" % (base, prefix))
        shutil.rmtree(prefix, ignore_errors=True)
        r = subprocess.run(["cp", "-a", base, prefix], capture_output=True, timeout=600)
        if r.returncode == 0:
            open(ready, "a").close()
        else:
            log("copy failed: %s" % r.stderr.decode("utf-8", "replace").strip())
            shutil.rmtree(prefix, ignore_errors=True)
    os.environ["POMARELO_WINEPREFIX"] = prefix
    # wineserver is started and stopped here without wine-run.
    os.environ["WINEPREFIX"] = prefix
    return prefix


def stop_wineserver():
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=60)


def wine(args, name, capture=False):
    return Proc([ARGS.wine_run] + args, name, capture=capture)


def probe(args, name, bound):
    """monitor_probe's output lines, or None."""
    p = wine([ARGS.probe] + args, name, capture=True)
    try:
        out, _ = p.p.communicate(timeout=bound)
    except subprocess.TimeoutExpired:
        p.kill()
        return None
    log("%s: %s" % (name, out.decode("ascii", "replace").strip().replace("\n", " | ")))
    return out.decode("ascii", "replace").splitlines() if p.p.returncode == 0 else None


class Monitor:
    def __init__(self, left, top, right, bottom, primary):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom
        self.primary = primary

    def __repr__(self):
        return "(%d, %d)-(%d, %d)%s" % (self.left, self.top, self.right, self.bottom,
                                        " primary" if self.primary else "")


def read_monitors(lines):
    virtual, monitors = None, []
    for line in lines or []:
        f = line.split()
        if f and f[0] == "virtual":
            virtual = tuple(int(v) for v in f[1:5])
        elif f and f[0] == "monitor":
            monitors.append(Monitor(*(int(v) for v in f[1:5]), primary=f[5] == "1"))
    return virtual, monitors


# --- what the screen must show ------------------------------------------------------

class Picture:
    """One monitor's part of a screenshot, in that monitor's own pixels."""

    def __init__(self, shot, monitor, virtual):
        self.shot = shot
        # The X root's origin is the virtual desktop's top-left corner.
        self.x0 = monitor.left - virtual[0]
        self.y0 = monitor.top - virtual[1]
        self.width = monitor.right - monitor.left
        self.height = monitor.bottom - monitor.top

    def at(self, x, y):
        return self.shot.at(self.x0 + x, self.y0 + y)

    def blue_fraction(self, step=8):
        points = [(x, y) for y in range(0, self.height, step) for x in range(0, self.width, step)]
        return sum(is_blue(self.at(x, y)) for x, y in points) / len(points)


def shows_frame(monitors, virtual):
    """A screenshot once every monitor is mostly the backdrop's blue."""
    if not saver_windows():
        return None
    shot = screenshot("waiting")
    fractions = [Picture(shot, m, virtual).blue_fraction() for m in monitors]
    return shot if min(fractions) > 0.4 else None


def check_monitor(picture, logo, what):
    """The backdrop's blue, the logo unscaled at the top-left (clipped), snow."""
    clear, clear_blue, clear_white, solid, solid_match = logo_area_counts(picture, logo)
    log("%s: logo area %d clear (%d blue, %d white), %d solid (%d as in the logo)"
        % (what, clear, clear_blue, clear_white, solid, solid_match))
    check(clear_blue >= 0.8 * clear and clear_blue + clear_white >= 0.95 * clear,
          "%s: the logo's clear area shows the blue backdrop and snow" % what)
    check(solid > 0 and solid_match >= 0.85 * solid,
          "%s: the logo's opaque pixels show at the monitor's top-left, unscaled" % what)
    check(clear_white >= 20, "%s: white snow dots" % what)


def start_saver(name, monitors, virtual):
    log("starting the saver /s (%s)" % name)
    p = wine([ARGS.scr, "/s"], name)
    shot = wait_until(lambda: shows_frame(monitors, virtual) if p.running() else "ended",
                    START_BOUND, "the frame on every monitor")
    if shot == "ended":
        log("the saver ended by itself with code %r" % p.p.returncode)
        shot = None
    if not check(shot is not None, "%s: every monitor shows the saver's frame" % name):
        p.kill()
        return None, None
    return p, shot


def expect_end(p, what):
    rc = p.wait(END_BOUND)
    check(rc == 0, "%s: the saver ended with exit code 0 (got %r)" % (what, rc))
    if rc is None:
        p.kill()
    check(not saver_windows(), "%s: no saver window left behind" % what)


# --- the scenarios ------------------------------------------------------------------------

def start_wine():
    prefix = own_prefix(ARGS.wine_run)
    # This prefix is the test's alone: a wineserver still running for it
    # was left by an earlier run and knows that run's display.
    global WINESERVER_STARTED
    stop_wineserver()
    Proc(["wineserver", "-p", "-f"], "wineserver")
    WINESERVER_STARTED = True
    log("Wine prefix %s (slow the first time)" % prefix)


def run_two():
    if start_nested_display("2400x1000", SCREENS, ["+xinerama", "-extension", "RANDR"]) is None:
        check(False, "the two-monitor display starts")
        return
    start_wine()
    virtual, monitors = read_monitors(probe([], "probe", START_BOUND))
    if not check(len(monitors) == 2 and virtual is not None,
                 "Wine sees two monitors (%r, virtual desktop %r)" % (monitors, virtual)):
        return
    primary = [m for m in monitors if m.primary]
    second = [m for m in monitors if not m.primary]
    check(len(primary) == 1 and (primary[0].left, primary[0].top) == (0, 0),
          "the primary monitor starts at the origin")
    check(second and second[0].left < 0, "the second monitor lies left of the primary one")
    if not primary or not second:
        return
    primary, second = primary[0], second[0]
    logo = read_logo(ARGS.logo)

    p, shot = start_saver("move", monitors, virtual)
    if p is None:
        return
    for monitor, what in ((primary, "primary monitor"), (second, "second monitor")):
        check_monitor(Picture(shot, monitor, virtual), logo, what)
    x, y = (second.left + second.right) // 2, (second.top + second.bottom) // 2
    log("X pointer before the move: %s" % xdotool("getmouselocation"))
    lines = probe(["move", str(x), str(y)], "probe-move", END_BOUND) or [""]
    check(lines[0].split()[3:] == ["SCREENSAVERCLASS"],
          "the saver's window lies under (%d, %d) on the second monitor" % (x, y))
    expect_end(p, "a cursor move onto the second monitor")

    p, _ = start_saver("key", monitors, virtual)
    if p is None:
        return
    end_with_key(p)


WALL = [((x * 640, y * 480), (640, 480)) for y in range(3) for x in range(3)]


def run_wall():
    if start_nested_display("1920x1440", WALL, ["+xinerama", "-extension", "RANDR"]) is None:
        check(False, "the 3 x 3 display starts")
        return
    start_wine()
    virtual, monitors = read_monitors(probe([], "probe", START_BOUND))
    if not check(len(monitors) == 9, "Wine sees nine monitors (%r)" % monitors):
        return
    p, shot = start_saver("wall", monitors, virtual)
    if p is None:
        return
    for i, monitor in enumerate(monitors):
        check_monitor(Picture(shot, monitor, virtual), logo_rows(), "monitor %d %r" % (i, monitor))
    end_with_key(p)


def end_with_key(p):
    for w in saver_windows():
        xdotool("windowfocus", w)
    xdotool("key", "a")
    expect_end(p, "a key")


# Covered within this many seconds of the change, on an idle machine.
COVER_TARGET = 2.0


def screen_covered(size):
    """A screenshot of the given size whose every part beyond the logo is
    the backdrop's blue or snow (99 % of sample points), else None."""
    shot = screenshot("cover")
    if (shot.width, shot.height) != size:
        return None
    lw, lh, _ = logo_rows()
    points = covered = 0
    for y in range(0, shot.height, 8):
        for x in range(0, shot.width, 8):
            if x < lw and y < lh:
                continue
            points += 1
            px = shot.at(x, y)
            covered += is_blue(px) or is_white(px)
    log("%dx%d: %d of %d points beyond the logo blue or snow" % (size + (covered, points)))
    return shot if covered >= 0.99 * points else None


def change_mode_and_check(p, size):
    what = "the mode changed to %dx%d" % size
    lines = probe(["mode", str(size[0]), str(size[1])], "probe-mode-%dx%d" % size, END_BOUND)
    changed = time.monotonic()
    if not check(lines is not None and lines[:1] == ["mode 0"], "%s (%r)" % (what, lines)):
        return False
    shot = wait_until(lambda: screen_covered(size) if p.running() else "ended", END_BOUND,
                      "the new screen covered")
    took = time.monotonic() - changed
    if not check(shot not in (None, "ended"), "%s: the whole screen is the saver's" % what):
        return False
    log("%s: covered %.2f s after the change" % (what, took))
    check(took <= COVER_TARGET * SCALE, "%s: covered within %.1f s" % (what, COVER_TARGET * SCALE))
    full = Monitor(0, 0, size[0], size[1], True)
    check_monitor(Picture(shot, full, (0, 0)), logo_rows(), what)
    geometry = xdotool("getwindowgeometry", (saver_windows() or [""])[0]) or ""
    check("Geometry: %dx%d" % size in geometry, "%s: the window is the screen's size (%s)"
          % (what, geometry.replace("\n", "; ")))
    moved = wait_until(lambda: snow_differs(shot, screenshot("later"), size), END_BOUND,
                       "the snow to move")
    check(moved is not None, "%s: the snow moves" % what)
    return True


def snow_differs(before, after, size):
    """Sample points beyond the logo whose white dot came or went, if enough."""
    if (after.width, after.height) != size:
        return None
    lw, lh, _ = logo_rows()
    moved = sum(1 for y in range(lh, size[1], 4) for x in range(0, size[0], 4)
                if is_white(before.at(x, y)) != is_white(after.at(x, y)))
    return moved if moved >= 20 else None


def run_resize():
    if start_nested_display("1600x1200", [((0, 0), (1280, 960))], ["-resizeable"]) is None:
        check(False, "the resizeable display starts")
        return
    start_wine()
    virtual, monitors = read_monitors(probe([], "probe", START_BOUND))
    if not check(len(monitors) == 1, "Wine sees one monitor (%r)" % monitors):
        return
    p, _ = start_saver("resize", monitors, virtual)
    if p is None:
        return
    if change_mode_and_check(p, (1600, 1200)) and change_mode_and_check(p, (1280, 960)):
        end_with_key(p)
    else:
        p.kill()


RUNS = {"two": run_two, "wall": run_wall, "resize": run_resize}


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument("--scr", required=True)
    ap.add_argument("--probe", required=True)
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--logo", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("scenario", nargs="?", default="two", choices=sorted(RUNS))
    ARGS = ap.parse_args()
    run = RUNS[ARGS.scenario]
    ARGS.scenario = "monitors" if ARGS.scenario == "two" else ARGS.scenario
    saver_e2e.ARGS = ARGS
    os.makedirs(ARGS.out, exist_ok=True)

    missing = [t for t in ("Xvfb", "Xephyr", "xdotool", "import", "wineserver")
               if not shutil.which(t)]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    if first_missing((ARGS.scr, ARGS.probe, ARGS.wine_run, ARGS.logo)):
        return 1

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        run()
    finally:
        if WINESERVER_STARTED:
            stop_wineserver()
        for c in reversed(CHILDREN):
            c.kill()
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
