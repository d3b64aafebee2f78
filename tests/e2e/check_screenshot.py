#!/usr/bin/env python3
"""Checks that a screenshot shows the saver's frame: the blue backdrop, the
logo unscaled at the top-left in its own colours, and white snow.

    check_screenshot.py --logo resources/logo.png SHOT.png

Used on the screenshot that tools/run.sh takes without a display. Exit
status: 0 the frame shows, 1 it does not (or the file is no picture)."""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import saver_e2e  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--logo", required=True)
    ap.add_argument("shot")
    args = ap.parse_args()
    saver_e2e.ARGS = args
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


if __name__ == "__main__":
    sys.exit(main())
