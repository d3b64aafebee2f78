#!/usr/bin/env python3
"""Checks a screen for the saver's frame: the blue backdrop, the logo
unscaled at the top-left in its own colours, and white snow.

    check_screenshot.py --logo resources/logo.png SHOT.png
    check_screenshot.py --frame-up

The first form checks the whole frame in a screenshot, such as the one that
tools/run.sh takes without a display. The second asks whether the frame
covers the screen of DISPLAY now (mostly blue), the same test the end-to-end
scenarios wait on; tools/run.sh waits on it for the saver's first frame.
Exit status: 0 the frame shows, 1 it does not (or there is no picture)."""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import saver_e2e  # noqa: E402


def frame_up():
    try:
        shot = saver_e2e.grab_screen()
    except (RuntimeError, ValueError, subprocess.TimeoutExpired):
        return 1  # no screen to read yet
    return 0 if saver_e2e.frame_is_up(shot) else 1


def check_shot(args):
    r = subprocess.run(["convert", args.shot, "-depth", "8", "ppm:-"], capture_output=True, timeout=120)
    if r.returncode != 0 or not r.stdout.startswith(b"P6"):
        print("check_screenshot: %s is not a picture ImageMagick can read" % args.shot)
        return 1
    shot = saver_e2e.parse_ppm(r.stdout)
    checks, summary = saver_e2e.frame_checks(shot)
    print("check_screenshot: %s (%d x %d): %s" % (args.shot, shot.width, shot.height, summary))
    for ok, what in checks:
        print("%s: %s" % ("ok" if ok else "FAIL", what))
    return 0 if all(ok for ok, _ in checks) else 1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--frame-up", action="store_true",
                    help="whether the frame covers DISPLAY's screen now")
    ap.add_argument("--logo")
    ap.add_argument("shot", nargs="?")
    args = ap.parse_args()
    if args.frame_up:
        return frame_up()
    if not args.logo or not args.shot:
        ap.error("a screenshot and --logo are needed, or --frame-up")
    saver_e2e.ARGS = args
    return check_shot(args)


if __name__ == "__main__":
    sys.exit(main())
