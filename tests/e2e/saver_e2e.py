#!/usr/bin/env python3
"""End-to-end tests of pomarelo.scr under Wine on an X display.

    saver_e2e.py --scr pomarelo.scr [--host preview_host.exe] --wine-run tools/wine-run
                 --logo resources/logo.png --out DIR SCENARIO

Scenarios (each starts the saver as few times as it can: under emulated
32-bit code a Wine process takes minutes to start):
  fullscreen-shows    frame content, a move to the same place and the wheel
                      change nothing, a one-pixel move ends the saver
  fullscreen-key      a key press ends it
  fullscreen-button   the left mouse button ends it
  preview             the frame scaled into a 152 x 112 host; input does not
                      end it; destroying the host does
  configure           the about box; Escape leaves it open, Enter closes it
  bad-preview         /p without a usable window ends by itself
  bad-fullscreen      empty, overlong and out-of-range command lines
and, more of the same kind: fullscreen-modifier-keys, fullscreen-other-buttons,
fullscreen-move-y, bad-preview-more. The smoke scenario checks the three run
modes with four Wine process starts, for machines where each start is slow:
full-screen shows the saver and a key ends it, /c shows the about box, /p
lives in a host and ends with it.

The display comes from DISPLAY; only when it is unset does the script start
an Xvfb of its own. Input goes in through xdotool (XTEST), screenshots come
from ImageMagick's `import -window root`. Every wait has a bound (scaled by
POMARELO_E2E_TIME_SCALE for slow machines) and every process started here
is ended before the script returns. Screenshots are kept in DIR.

Exit status: 0 passed, 1 failed, 77 skipped (a required tool is missing).
"""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib

SKIP = 77
SCALE = float(os.environ.get("POMARELO_E2E_TIME_SCALE", "1") or "1")

# Bounds in seconds, reached only by a failure: every wait ends on the event
# it waits for. Wine may run under emulation on the test machines, so
# start-up bounds are generous. A check that the saver keeps running watches
# it for a few seconds, long enough for it to have reacted to input (it
# handles input as it arrives and repaints every 17 ms).
START_BOUND = 1200.0 * SCALE
END_BOUND = 120.0 * SCALE
# A saver that should end by itself at once: one Wine process start, a
# fraction of a second at native speed and about a minute where 32-bit code
# is emulated.
SELF_END_BOUND = 180.0 * SCALE
STILL_WAIT = 3.0 * SCALE
POLL = 0.25

ARGS = None
FAILURES = []
CHILDREN = []  # every process started here, killed at exit


def log(msg):
    sys.stdout.write("[%7.1f] %s\n" % (time.monotonic() - T0, msg))
    sys.stdout.flush()


def check(condition, what):
    if condition:
        log("ok: " + what)
    else:
        log("FAIL: " + what)
        FAILURES.append(what)
    return condition


T0 = time.monotonic()


# --- processes -----------------------------------------------------------------

class Proc:
    """A process in a session of its own, so that it can be ended whole."""

    def __init__(self, argv, name, stdin=None, env=None, pass_fds=(), capture=False):
        self.name = name
        self.log_path = os.path.join(ARGS.out, name + ".log")
        self.log_file = open(self.log_path, "wb")
        # Unbuffered, so that read_line's select() sees every byte not read.
        self.p = subprocess.Popen(argv, stdin=stdin, env=env, pass_fds=pass_fds,
                                  stdout=subprocess.PIPE if stdin or capture else self.log_file,
                                  stderr=self.log_file, start_new_session=True, bufsize=0)
        CHILDREN.append(self)

    def wait(self, bound):
        """Exit code, or None if the process is still running after `bound` s."""
        try:
            return self.p.wait(timeout=bound)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.p.poll() is None

    def kill(self):
        if self.p.poll() is None:
            try:
                os.killpg(self.p.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
            try:
                self.p.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
        if not self.log_file.closed:
            self.log_file.close()


def kill_children():
    for c in CHILDREN:
        c.kill()


def first_missing(paths):
    """The first of the given files that does not exist, printed; None if all do."""
    for path in paths:
        if not os.path.exists(path):
            print("missing " + path)
            return path
    return None


def verdict():
    """The run's exit code, with its failures or its success logged."""
    if FAILURES:
        log("%d check(s) failed:\n  %s" % (len(FAILURES), "\n  ".join(FAILURES)))
        return 1
    log("all checks passed")
    return 0


def wine(args, name, stdin=None):
    return Proc([ARGS.wine_run] + args, name, stdin)


def saver(args, name):
    log("starting pomarelo.scr %r" % (args,))
    return wine([ARGS.scr] + args, name)


# --- X display -----------------------------------------------------------------

def xdotool(*args, bound=30.0):
    try:
        r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, timeout=bound)
    except subprocess.TimeoutExpired:
        return None
    return r.stdout.decode("ascii", "replace").strip() if r.returncode == 0 else None


def find_windows(name):
    out = xdotool("search", "--name", name)
    return out.split() if out else []


def pointer():
    out = xdotool("getmouselocation", "--shell") or ""
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return int(values.get("X", -1)), int(values.get("Y", -1))


def focus(name):
    for w in find_windows(name):
        xdotool("windowfocus", w)


class Shot:
    """A screenshot as RGB bytes."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]


def parse_ppm(data):
    # P6 <w> <h> <max>\n<bytes>; comments are not written by ImageMagick.
    fields = []
    i = 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    i += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("unexpected screenshot format")
    w, h = int(fields[1]), int(fields[2])
    return Shot(w, h, data[i:i + 3 * w * h])


def write_png(path, shot):
    raw = b"".join(b"\x00" + shot.rgb[3 * y * shot.width:3 * (y + 1) * shot.width]
                   for y in range(shot.height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", shot.width, shot.height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 1)) + chunk(b"IEND", b""))


SHOT_COUNT = [0]


def grab_screen():
    """The whole screen of DISPLAY, as it is now."""
    r = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                       capture_output=True, timeout=120)
    if r.returncode != 0:
        raise RuntimeError("import failed: " + r.stderr.decode("utf-8", "replace"))
    return parse_ppm(r.stdout)


def screenshot(label):
    shot = grab_screen()
    SHOT_COUNT[0] += 1
    path = os.path.join(ARGS.out, "%s-%02d-%s.png" % (ARGS.scenario, SHOT_COUNT[0], label))
    write_png(path, shot)
    log("screenshot %s (%dx%d)" % (path, shot.width, shot.height))
    return shot


def is_blue(p):
    return p[0] < 48 and p[1] < 48 and p[2] > 200


def is_white(p):
    return p[0] > 225 and p[1] > 225 and p[2] > 225


def blue_fraction(shot, x0=0, y0=0, x1=None, y1=None, step=4):
    x1 = shot.width if x1 is None else x1
    y1 = shot.height if y1 is None else y1
    total = blue = 0
    for y in range(y0, y1, step):
        for x in range(x0, x1, step):
            total += 1
            blue += is_blue(shot.at(x, y))
    return blue / total if total else 0.0


def frame_is_up(shot):
    """The saver's frame covers the screen: mostly the blue backdrop."""
    return blue_fraction(shot) > 0.4


def wait_until(predicate, bound, what):
    deadline = time.monotonic() + bound
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            log("gave up waiting %.0f s for %s" % (bound, what))
            return None
        time.sleep(POLL)


# --- the logo, to know what the frame must show --------------------------------

def read_logo(path):
    """Returns (width, height, rows of RGBA bytes) of an 8-bit RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    at = 8
    idat = []
    width = height = 0
    while at < len(data):
        n = struct.unpack(">I", data[at:at + 4])[0]
        kind = data[at + 4:at + 8]
        body = data[at + 8:at + 8 + n]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, ctype, interlace) != (8, 6, 0):
                raise ValueError("logo is not 8-bit RGBA, non-interlaced")
        elif kind == b"IDAT":
            idat.append(body)
        at += 12 + n
    raw = zlib.decompress(b"".join(idat))
    stride = 4 * width
    rows = []
    prev = bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if f == 1:
            for i in range(4, stride):
                line[i] = (line[i] + line[i - 4]) & 255
        elif f == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif f == 3:
            for i in range(stride):
                a = line[i - 4] if i >= 4 else 0
                line[i] = (line[i] + ((a + prev[i]) >> 1)) & 255
        elif f == 4:
            for i in range(stride):
                a = line[i - 4] if i >= 4 else 0
                b = prev[i]
                c = prev[i - 4] if i >= 4 else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        prev = line
    return width, height, rows


# --- scenarios ---------------------------------------------------------------------

def saver_showing():
    """A screenshot once the saver's frame covers the screen (mostly blue)."""
    if not find_windows("^SCREENSAVER$"):
        return None  # cheaper to ask than to take a screenshot
    shot = screenshot("waiting")
    return shot if frame_is_up(shot) else None


def start_fullscreen(args, name, again_if_ended=True):
    """The saver started full-screen and the screenshot of its frame, or None
    for the screenshot when it ended by itself first. A saver that ends with
    code 0 before its frame shows is started once more (again_if_ended): the
    wineserver, which outlives each Wine process, can hand the new saver the
    cursor's place as the last Wine process saw it, from before the test's
    own move, and the true place reaches the saver as a move a moment later.
    A saver that ends by itself twice fails the scenario as before."""
    for attempt in (1, 2):
        p = saver(args, name if attempt == 1 else name + "-again")
        shot = wait_until(lambda: saver_showing() if p.running() else "ended", START_BOUND,
                          "the saver to show its frame")
        if shot != "ended":
            return p, shot
        log("the saver ended by itself with code %r" % p.p.returncode)
        if not again_if_ended or attempt == 2 or p.p.returncode != 0:
            return p, None
        log("starting it once more: the cursor's place may have reached it late")
    return p, None


def expect_end(p, what, bound=None):
    rc = p.wait(END_BOUND if bound is None else bound)
    check(rc == 0, "%s: ended with exit code 0 (got %r)" % (what, rc))
    if rc is None:
        p.kill()
    check(not find_windows("^SCREENSAVER$"), "%s: no saver window left behind" % what)
    if rc == 0:
        check(blue_fraction(screenshot("after")) < 0.2, "%s: the saver's frame is off the screen" % what)
    return rc


def expect_running(p, what):
    """Watches the saver for a few seconds; fails at once if it ends."""
    rc = p.wait(STILL_WAIT)
    return check(rc is None, "%s: the saver is still running (exit code %r)" % (what, rc))


LOGO = []


def logo_rows():
    if not LOGO:
        LOGO.append(read_logo(ARGS.logo))
    return LOGO[0]


def logo_area_counts(picture, logo):
    """Over the logo's area at the picture's top-left (every second pixel):
    the logo's clear pixels, those showing blue and white, its opaque
    pixels, and those showing the logo's own colour. `picture` has width,
    height and at(x, y)."""
    lw, lh, rows = logo
    clear = clear_blue = clear_white = solid = solid_match = 0
    for y in range(0, min(picture.height, lh), 2):
        row = rows[y]
        for x in range(0, min(picture.width, lw), 2):
            a = row[4 * x + 3]
            p_ = picture.at(x, y)
            if a == 0:
                clear += 1
                clear_blue += is_blue(p_)
                clear_white += is_white(p_)
            elif a == 255:
                solid += 1
                solid_match += all(abs(p_[k] - row[4 * x + k]) <= 12 for k in range(3))
    return clear, clear_blue, clear_white, solid, solid_match


def frame_checks(shot):
    """The frame: blue field, the logo unscaled at the top-left, snow.

    Returns [(passed, what)] and a line that sums up what was counted."""
    lw, lh, logo = logo_rows()
    clear, clear_blue, clear_white, solid, solid_match = logo_area_counts(shot, (lw, lh, logo))
    # Outside the logo's area (a screen larger than 1440 x 900) only the blue
    # field and the snow show.
    outside = outside_blue = outside_white = 0
    for y in range(0, shot.height, 2):
        for x in range(0, shot.width, 2):
            if x < lw and y < lh:
                continue
            outside += 1
            p_ = shot.at(x, y)
            outside_blue += is_blue(p_)
            outside_white += is_white(p_)
    summary = ("logo area: %d clear (%d blue, %d white), %d solid (%d as in the logo); "
               "outside: %d (%d blue, %d white)" % (clear, clear_blue, clear_white, solid, solid_match,
                                                    outside, outside_blue, outside_white))
    # Where the logo is clear, and beyond it, every sample point of a whole
    # frame shows the blue field or a flake.
    checks = [
        (clear_blue + clear_white >= 0.99 * clear,
         "/s: the logo's transparent area shows the blue field and snow"),
        (clear_blue >= 0.8 * clear, "/s: the backdrop is blue 0x0000FF"),
        # Snow covers some 0.7 % of them; the logo moved by a few pixels or
        # scaled by 1 % matches at 94 % or less.
        (solid > 0 and solid_match >= 0.98 * solid,
         "/s: the logo's opaque pixels show at the top-left, unscaled"),
        # About a quarter of the 10001 flakes fall on sample points, some 2000
        # away from the logo's opaque pixels at first; fewer later on, as the
        # flakes that drift left leave for good.
        (clear_white + outside_white >= 800, "/s: white snow dots away from the logo"),
    ]
    if outside:
        checks.append((outside_blue + outside_white >= 0.99 * outside,
                       "/s: plain blue right of and below the logo"))
    return checks, summary


def check_whole_frame(bound):
    """Waits until a screenshot shows the whole frame, then reports the checks
    of the last screenshot taken. Returns that screenshot."""
    last = []

    def complete():
        shot = screenshot("frame")
        last[:] = [shot, frame_checks(shot)]
        return all(ok for ok, _ in last[1][0])
    wait_until(complete, bound, "the whole frame")
    shot, (checks, summary) = last
    log(summary)
    for ok, what in checks:
        check(ok, what)
    return shot


def snow_moved(before, after):
    """Sample points in the logo's clear area whose white dot came or went."""
    lw, lh, logo = logo_rows()
    moved = 0
    for y in range(0, min(before.height, lh), 2):
        for x in range(0, min(before.width, lw), 2):
            if logo[y][4 * x + 3] == 0 and is_white(before.at(x, y)) != is_white(after.at(x, y)):
                moved += 1
    return moved


def scenario_fullscreen_shows():
    xdotool("mousemove", 200, 150)
    p, shot = start_fullscreen(["/s"], "shows")
    if not check(shot is not None, "/s: the frame appears within %.0f s" % START_BOUND):
        p.kill()
        return
    shot = check_whole_frame(60.0 * SCALE)
    # The snow moves: the white dots differ from one screenshot to the next.
    moved = wait_until(lambda: max(0, snow_moved(shot, screenshot("later")) - 19), 60.0 * SCALE,
                       "the snow to move")
    check(moved is not None, "/s: the snow moves between frames")
    # A "move" to where the cursor already is, and the wheel, change nothing;
    # a move by one pixel ends the saver.
    here = pointer()
    xdotool("mousemove", here[0], here[1])
    xdotool("click", 4)
    xdotool("click", 5)
    if not expect_running(p, "/s after a move to the same place and the wheel"):
        return
    check(pointer() == here, "the cursor did not move")
    xdotool("mousemove_relative", "--", 1, 0)
    expect_end(p, "/s then a mouse move by one pixel to the right")


def scenario_fullscreen_move_y():
    xdotool("mousemove", 300, 250)
    p, shot = start_fullscreen(["/s"], "move-y")
    if not check(shot is not None, "/s: the frame appears"):
        p.kill()
        return
    xdotool("mousemove_relative", "--", 0, 1)
    expect_end(p, "/s then a mouse move by one pixel down")


def end_fullscreen_with_keys(keys_list):
    for keys in keys_list:
        p, shot = start_fullscreen(["/s"], "key-" + keys.replace("+", "-"))
        if not check(shot is not None, "/s: the frame appears (for key %s)" % keys):
            p.kill()
            continue
        focus("^SCREENSAVER$")
        xdotool("key", keys)
        expect_end(p, "/s then key %s" % keys)


def scenario_fullscreen_key():
    end_fullscreen_with_keys(["a"])


# A program that takes the foreground shows above the saver and would get its
# keys: the saver must end by itself, with code 0, within about a second.
FOCUS_LOST_BOUND = 1.5


def scenario_fullscreen_focus_lost():
    # Built only where this scenario runs: not for the smoke run alone.
    if not check(ARGS.probe and not first_missing([ARGS.probe]), "monitor_probe is there"):
        return
    p, shot = start_fullscreen(["/s"], "focus-lost")
    if not check(shot is not None, "/s: the frame appears"):
        p.kill()
        return
    other = Proc([ARGS.wine_run, ARGS.probe, "focus"], "focus-probe", capture=True)
    line = read_line(other, START_BOUND)
    taken = time.monotonic()
    log("probe: %r" % line)
    if not check(line == "foreground 1", "another program's window takes the foreground"):
        other.kill()
        p.kill()
        return
    rc = p.wait(FOCUS_LOST_BOUND * SCALE)
    ended = time.monotonic() - taken
    log("the saver ended %.2f s after the other window took the foreground" % ended
        if rc is not None else "the saver still runs")
    check(rc == 0, "/s: ended by itself with code 0 within %.1f s of losing the foreground "
          "(got %r)" % (FOCUS_LOST_BOUND * SCALE, rc))
    other.kill()
    if rc is None:
        p.kill()
    check(not find_windows("^SCREENSAVER$"), "no saver window left behind")


def scenario_fullscreen_modifier_keys():
    # A lone modifier and an Alt combination (a system key).
    end_fullscreen_with_keys(["shift", "alt+x"])


def end_fullscreen_with_buttons(buttons):
    for button, name in buttons:
        p, shot = start_fullscreen(["/s"], "button-" + name)
        if not check(shot is not None, "/s: the frame appears (for the %s button)" % name):
            p.kill()
            continue
        xdotool("click", button)
        expect_end(p, "/s then the %s mouse button" % name)


def scenario_fullscreen_button():
    end_fullscreen_with_buttons([(1, "left")])


def scenario_fullscreen_other_buttons():
    end_fullscreen_with_buttons([(3, "right"), (2, "middle")])


def region_colour_counts(shot, x, y, w, h):
    blue = green = other = 0
    for yy in range(max(0, y), min(shot.height, y + h)):
        for xx in range(max(0, x), min(shot.width, x + w)):
            p_ = shot.at(xx, yy)
            if is_blue(p_):
                blue += 1
            elif p_[0] < 40 and 130 < p_[1] < 190 and p_[2] < 40:
                green += 1
            else:
                other += 1
    return blue, green, other


def start_preview():
    """The preview host, then the saver in it: (host, saver, client area) or None."""
    host = wine([ARGS.host, "300", "200"], "preview-host", stdin=subprocess.PIPE)
    line1 = read_line(host, START_BOUND)
    line2 = read_line(host, 30.0)
    if not check(line1 is not None and line2 is not None, "the preview host reports its window"):
        return None
    handle = int(line1)
    _, cx, cy, cw, ch = line2.split()
    area = int(cx), int(cy), int(cw), int(ch)
    check(area[2:] == (152, 112), "the preview host's client area is 152 x 112 (got %d x %d)" % area[2:])
    log("host window %d, client area at (%d, %d)" % ((handle,) + area[:2]))

    def host_green():
        b, g, o = region_colour_counts(screenshot("host"), *area)
        return g >= 0.9 * area[2] * area[3]
    check(wait_until(host_green, 60.0 * SCALE, "the host to paint") is not None,
          "the preview host shows its own colour before the saver starts")
    return host, saver(["/p", str(handle)], "preview"), area


def close_host_and_expect_end(host, p):
    # Destroying the host destroys the preview window with it.
    host.p.stdin.write(b"close\n")
    host.p.stdin.flush()
    rc_host = host.wait(END_BOUND)
    check(rc_host == 0, "the preview host closed (exit code %r)" % rc_host)
    expect_end(p, "/p after the host window was destroyed")


def host_report(host, p):
    """The host's line about the first window put inside it, or None once the
    saver has ended or the bound has passed."""
    deadline = time.monotonic() + START_BOUND
    while time.monotonic() < deadline:
        line = read_line(host, 1.0)
        if line is not None:
            return line
        if not p.running() or not host.running():
            return read_line(host, 1.0)
    return None


def check_preview_window(host, p, area):
    """The host reports the windows put inside it: the saver's, visible, a
    child, from the saver's process, covering the whole client area."""
    cx, cy, cw, ch = area
    line = host_report(host, p)
    log("host reports: %r" % (line,))
    fields = line.split() if line else []
    if check(len(fields) == 8 and fields[0] == "child", "/p: a window appears inside the host"):
        name, style = fields[1], int(fields[2], 16)
        left, top, right, bottom, other = (int(f) for f in fields[3:])
        check(name == "SCREENSAVERCLASS", "/p: the window inside the host is the saver's (class %s)" % name)
        check(other == 1, "/p: the window inside the host was made by the saver's process")
        check(style & 0x40000000 and not style & 0x80000000,
              "/p: the window inside the host is a child window (style %08x)" % style)
        check(left == cx and top == cy and right - left >= cw and bottom - top >= ch,
              "/p: the window inside the host covers its client area (%d, %d)-(%d, %d)"
              % (left, top, right, bottom))
    return check(p.running(), "/p: the saver keeps running inside its host")


def scenario_preview():
    started = start_preview()
    if started is None:
        return
    host, p, (cx, cy, cw, ch) = started
    if not check_preview_window(host, p, (cx, cy, cw, ch)):
        return
    shot = screenshot("screen-in-preview")
    check(blue_fraction(shot, 0, 0, shot.width, max(0, cy - 20)) < 0.2,
          "/p: the rest of the screen is not covered by the saver")
    # Input inside and outside the host does not end a preview.
    xdotool("mousemove", cx + cw // 2, cy + ch // 2)
    xdotool("mousemove_relative", "--", 3, 2)
    focus("Pomarelo preview host")
    xdotool("key", "a")
    xdotool("click", 1)
    xdotool("mousemove", 20, 20)
    if not expect_running(p, "/p after keys, a click and mouse moves"):
        return
    close_host_and_expect_end(host, p)


def scenario_preview_frame():
    started = start_preview()
    if started is None:
        return
    host, p, area = started

    def host_blue():
        if not p.running():
            return "ended"
        b, g, o = region_colour_counts(screenshot("preview"), *area)
        log("host area: %d blue, %d host green, %d other" % (b, g, o))
        return b >= 0.5 * area[2] * area[3] and g < 0.05 * area[2] * area[3]
    shown = wait_until(host_blue, START_BOUND, "the frame in the host")
    check(shown is True, "/p: the frame appears scaled into the host's 152 x 112 area")
    if shown is not True:
        p.kill()
        return
    close_host_and_expect_end(host, p)


def read_line(proc, bound):
    """One line of a process's stdout, or None after `bound` seconds."""
    import selectors
    sel = selectors.DefaultSelector()
    sel.register(proc.p.stdout, selectors.EVENT_READ)
    deadline = time.monotonic() + bound
    buf = b""
    while time.monotonic() < deadline:
        if not sel.select(timeout=max(0.0, deadline - time.monotonic())):
            break
        c = proc.p.stdout.read(1)
        if not c:
            break
        if c == b"\n":
            return buf.decode("ascii", "replace").strip()
        buf += c
    sel.close()
    return None


def dark_columns(shot, x0, x1, y0, y1):
    """Columns between x0 and x1 holding a dark (text) pixel in rows y0..y1."""
    cols = set()
    for y in range(max(0, y0), min(shot.height, y1)):
        for x in range(max(0, x0), min(shot.width, x1)):
            p_ = shot.at(x, y)
            if p_[0] < 90 and p_[1] < 90 and p_[2] < 90:
                cols.add(x)
    return cols


def about_box_checks(box):
    """[(passed, what)] for the about box's picture in a fresh screenshot."""
    geo = xdotool("getwindowgeometry", "--shell", box) or ""
    g = dict(line.split("=", 1) for line in geo.splitlines() if "=" in line)
    x, y, w, h = (int(g.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))
    checks = [(w > 100 and h > 60, "/c: the about box has a plausible size (%d x %d at %d, %d)"
               % (w, h, x, y))]
    if not checks[0][0]:
        return checks
    shot = screenshot("about")
    # The client area is 62 dialog units high; the text lines sit at 5, 15
    # and 25 units, the button at 40 to 54. The window may include a caption
    # bar above the client area, so look from the bottom up.
    unit = h / 62.0 if h < 200 else None
    client_top = y + h - int(round(62 * (unit or (h / 80.0))))
    unit = unit or (h / 80.0)
    for n, top in enumerate((5, 15, 25)):
        cols = dark_columns(shot, x, x + w, client_top + int(top * unit), client_top + int((top + 8) * unit))
        ok = len(cols) >= 5
        if ok:
            centre = (min(cols) + max(cols)) / 2.0
            ok = abs(centre - (x + w / 2.0)) < w * 0.15
        checks.append((ok, "/c: line %d shows centred text" % (n + 1)))
    button_rows = dark_columns(shot, x + int(w * 0.30), x + int(w * 0.70),
                               client_top + int(40 * unit), client_top + int(54 * unit))
    checks.append((len(button_rows) >= 3, "/c: the OK button shows below the text"))
    return checks


def scenario_configure(escape_too=True):
    caption = "^Pomarelo - ScreenSaver$"
    p = saver(["/c"], "configure")
    box = wait_until(lambda: find_windows(caption) or (not p.running() and ["ended"]), START_BOUND,
                     "the about box")
    if not check(box and box != ["ended"], "/c: the about box appears with the caption \"Pomarelo - ScreenSaver\""):
        p.kill()
        return
    check(not find_windows("^SCREENSAVER$"), "/c: no saver window is created")
    # The box is up; its text and button are drawn a moment later.
    last = []

    def drawn():
        last[:] = about_box_checks(box[0])
        return all(ok for ok, _ in last)
    wait_until(drawn, 60.0 * SCALE, "the about box's text and button")
    for ok, what in last:
        check(ok, what)
    if escape_too:
        focus(caption)
        xdotool("key", "Escape")
        if expect_running(p, "/c after Escape"):
            check(bool(find_windows(caption)), "/c: the about box is still open after Escape")
    focus(caption)
    xdotool("key", "Return")
    rc = p.wait(END_BOUND)
    check(rc == 0, "/c: Enter closes the about box and the program ends with exit code 0 (got %r)" % rc)
    check(not find_windows(caption), "/c: the about box is gone")


def scenario_smoke():
    """The three run modes with four Wine process starts."""
    xdotool("mousemove", 200, 150)
    p, shot = start_fullscreen(["/s"], "smoke")
    if check(shot is not None, "/s: the frame appears within %.0f s" % START_BOUND):
        check_whole_frame(60.0 * SCALE)
        focus("^SCREENSAVER$")
        xdotool("key", "a")
        expect_end(p, "/s then key a")
    else:
        p.kill()
    scenario_configure(escape_too=False)
    started = start_preview()
    if started is not None:
        host, p, area = started
        if check_preview_window(host, p, area):
            close_host_and_expect_end(host, p)


def bad_previews(cases):
    # None of these makes a window, so they run side by side.
    procs = [(saver(args, "bad-preview-%d" % n), what) for n, (args, what) in enumerate(cases)]
    for p, what in procs:
        rc = p.wait(SELF_END_BOUND)
        check(rc == 0, "%s: ends by itself with exit code 0 (got %r)" % (what, rc))
        if rc is None:
            p.kill()
    check(not find_windows("^SCREENSAVER$"), "no saver window left behind")


def scenario_bad_preview():
    bad_previews([
        (["/p"], "preview without a handle"),
        (["/p", "garbage"], "preview with garbage"),
        (["/p", "12345"], "preview with a number that is no window"),
    ])


def scenario_bad_preview_more():
    bad_previews([
        (["/pq"], "preview with letters glued to the switch"),
        (["/p", "-1"], "preview with a negative number"),
        (["/p", "7" * 4000], "preview with a very long number"),
    ])


def scenario_bad_fullscreen():
    cases = [
        ([], "an empty command line"),
        (["/s", "99999999999"], "/s with a number too large for a handle"),
        (["/s", "x" * 8000], "a very long command line"),
    ]
    # Each selects full-screen mode: the frame shows, and a key ends it.
    for n, (args, what) in enumerate(cases):
        p, shot = start_fullscreen(args, "bad-fullscreen-%d" % n)
        if not check(shot is not None, "%s: the frame appears" % what):
            p.kill()
            continue
        focus("^SCREENSAVER$")
        xdotool("key", "Escape")
        expect_end(p, "%s, then a key" % what)


SCENARIOS = {
    "fullscreen-shows": scenario_fullscreen_shows,
    "fullscreen-key": scenario_fullscreen_key,
    "fullscreen-focus-lost": scenario_fullscreen_focus_lost,
    "fullscreen-button": scenario_fullscreen_button,
    "preview": scenario_preview,
    "preview-frame": scenario_preview_frame,
    "configure": scenario_configure,
    "bad-preview": scenario_bad_preview,
    "bad-fullscreen": scenario_bad_fullscreen,
    "fullscreen-modifier-keys": scenario_fullscreen_modifier_keys,
    "fullscreen-other-buttons": scenario_fullscreen_other_buttons,
    "fullscreen-move-y": scenario_fullscreen_move_y,
    "bad-preview-more": scenario_bad_preview_more,
    "smoke": scenario_smoke,
}


def start_own_display():
    """Starts Xvfb on a free display number; returns the process."""
    for n in range(90, 130):
        if os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
            continue
        # Larger than the logo, so that the frame beyond it shows too.
        proc = Proc(["Xvfb", ":%d" % n, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"], "xvfb")
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                os.environ["DISPLAY"] = ":%d" % n
                return proc
            if not proc.running():
                break
            time.sleep(0.1)
        proc.kill()
    return None


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument("--scr", required=True)
    ap.add_argument("--host", help="the preview host (scenarios that start a preview)")
    ap.add_argument("--probe", help="monitor_probe (the scenario in which focus is lost)")
    ap.add_argument("--wine-run", required=True)
    ap.add_argument("--logo", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("scenario", choices=sorted(SCENARIOS))
    ARGS = ap.parse_args()
    os.makedirs(ARGS.out, exist_ok=True)

    needed = ["xdotool", "import"]
    if not os.environ.get("DISPLAY"):
        needed.append("Xvfb")
    missing = [t for t in needed if not shutil.which(t)]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    if first_missing(p for p in (ARGS.scr, ARGS.host, ARGS.wine_run, ARGS.logo) if p):
        return 1

    signal.signal(signal.SIGTERM, lambda *_: (kill_children(), sys.exit(1)))
    try:
        if not os.environ.get("DISPLAY"):
            if start_own_display() is None:
                print("could not start Xvfb")
                return 1
        log("display %s, scenario %s" % (os.environ["DISPLAY"], ARGS.scenario))
        SCENARIOS[ARGS.scenario]()
    finally:
        kill_children()
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
