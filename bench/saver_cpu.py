#!/usr/bin/env python3
"""The running saver's CPU share: the saver full-screen under Wine on an Xvfb
of a given size, its CPU time and each thread's read from /proc over a fixed
interval after a warm-up, printed as shares of one core.

    bench/saver_cpu.py build/windows64/app/pomarelo64.scr 1920 1080

Wine runs through tools/wine-run, in the project's prefix (POMARELO_WINEPREFIX
moves it). The script starts its own Xvfb on a free display, waits for the
saver's window and for a mostly blue screen (the first frame), and ends the
saver, the Xvfb and the wineserver it started.
"""
import argparse
import os
import signal
import subprocess
import sys
import time

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "wine-run")
WINESERVER = "/usr/lib/wine/wineserver"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("saver", help="path of the .scr")
    parser.add_argument("width", type=int)
    parser.add_argument("height", type=int)
    parser.add_argument("--warm-up", type=float, default=5.0, help="seconds before measuring")
    parser.add_argument("--interval", type=float, default=10.0, help="seconds measured")
    parser.add_argument("--start-bound", type=float, default=600.0,
                        help="seconds allowed for the first frame (a new prefix takes long)")
    return parser.parse_args()


def free_display():
    for number in range(70, 200):
        if not os.path.exists(f"/tmp/.X{number}-lock") and \
                not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            return number
    sys.exit("no free X display number")


def wait_for(condition, bound, what):
    deadline = time.monotonic() + bound
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.2)
    raise TimeoutError(f"{what} did not happen within {bound:.0f} s")


def process_environment(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            entries = f.read().split(b"\0")
    except OSError:
        return {}
    return dict(e.decode(errors="replace").split("=", 1) for e in entries if b"=" in e)


def processes_named(matches):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as f:
                if matches(f.read().strip()):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def wineservers_of(prefix):
    # Named wineserver, or wineserver64 for the 64-bit one.
    return [pid for pid in processes_named(lambda name: name.startswith("wineserver"))
            if process_environment(pid).get("WINEPREFIX") == prefix]


def saver_process(saver_name, display):
    # The kernel keeps 15 characters of a name.
    for pid in processes_named(lambda name: name == saver_name[:15]):
        if process_environment(pid).get("DISPLAY") == f":{display}":
            return pid
    return None


def screen_is_mostly_blue(display, environment):
    # A 64 x 36 thumbnail of the root window, as raw RGB bytes.
    shot = subprocess.run(["import", "-display", f":{display}", "-window", "root",
                           "-resize", "64x36!", "-depth", "8", "rgb:-"],
                          env=environment, capture_output=True, timeout=60)
    pixels = shot.stdout
    if shot.returncode != 0 or len(pixels) < 3:
        return False
    blue = sum(1 for i in range(0, len(pixels) - 2, 3)
               if pixels[i + 2] > 150 and pixels[i] < 100 and pixels[i + 1] < 100)
    return blue > 0.5 * len(pixels) / 3


def cpu_ticks(stat_path):
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def voluntary_switches(status_path):
    with open(status_path) as f:
        for line in f:
            if line.startswith("voluntary_ctxt_switches:"):
                return int(line.split()[1])
    return 0


def thread_times(pid):
    """Each thread's name, CPU ticks and voluntary switches (its sleeps and
    waits: for the main thread, about one a frame)."""
    times = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            times[int(tid)] = (name, cpu_ticks(f"/proc/{pid}/task/{tid}/stat"),
                               voluntary_switches(f"/proc/{pid}/task/{tid}/status"))
        except OSError:
            pass
    return times


def measure(pid, interval):
    start = time.monotonic()
    process_before = cpu_ticks(f"/proc/{pid}/stat")
    threads_before = thread_times(pid)
    time.sleep(interval)
    process_after = cpu_ticks(f"/proc/{pid}/stat")
    threads_after = thread_times(pid)
    elapsed = time.monotonic() - start
    share = lambda ticks: ticks / CLOCK_TICKS / elapsed
    print(f"measured {elapsed:.1f} s; share of one core, and each thread's wake-ups:")
    print(f"  process {pid:>7}              {share(process_after - process_before):.3f}")
    for tid, (name, after, switches) in sorted(threads_after.items()):
        _, before, switches_before = threads_before.get(tid, (name, 0, 0))
        role = "main thread" if tid == pid else name
        wakes = (switches - switches_before) / elapsed
        per_wake = share(after - before) / wakes * 1e6 if wakes else 0.0
        print(f"  thread  {tid:>7} {role:<14} {share(after - before):.3f}"
              f"  {wakes:7.0f}/s  {per_wake:6.0f} us CPU each")


class Saver:
    """A saver started full-screen (/s) under Wine on an Xvfb of its own."""

    def __init__(self, path, width, height, prefix):
        self.path = os.path.abspath(path)
        self.display = free_display()
        self.environment = dict(os.environ, DISPLAY=f":{self.display}",
                                POMARELO_WINEPREFIX=prefix)
        self.wine = None
        self.pid = None
        self.xvfb = subprocess.Popen(["Xvfb", f":{self.display}", "-screen", "0",
                                      f"{width}x{height}x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.display}"), 30,
                     "Xvfb start")
        except TimeoutError:
            self.end()
            raise
        self.wine = subprocess.Popen([WINE_RUN, self.path, "/s"], env=self.environment,
                                     start_new_session=True, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def wait_for_frame(self, bound):
        """Waits for the window and a mostly blue screen (the first frame),
        then finds the process: savers of one name are told apart by display."""
        window = lambda: subprocess.run(["xdotool", "search", "--name", "^SCREENSAVER$"],
                                        env=self.environment,
                                        capture_output=True).returncode == 0
        wait_for(window, bound, "the saver's window")
        wait_for(lambda: screen_is_mostly_blue(self.display, self.environment), 120,
                 "the first frame")
        self.pid = saver_process(os.path.basename(self.path), self.display)
        if self.pid is None:
            sys.exit(f"the process of {self.path} was not found")

    def end(self):
        if self.wine is not None:
            # Any key ends the saver.
            subprocess.run(["xdotool", "key", "space"], env=self.environment,
                           capture_output=True)
            try:
                self.wine.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
            # Whatever is left of the session the saver was started in.
            try:
                os.killpg(self.wine.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.xvfb.terminate()
        self.xvfb.wait(timeout=20)


def wine_prefix():
    prefix = subprocess.run([WINE_RUN, "--prefix"], capture_output=True, text=True,
                            timeout=60, check=True).stdout.strip()
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    return prefix


def end_wineserver(prefix, servers_before):
    """Ends the wineserver if this script started it."""
    if not servers_before and wineservers_of(prefix):
        server = WINESERVER if os.path.exists(WINESERVER) else "wineserver"
        subprocess.run([server, "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                       capture_output=True, timeout=60)


def main():
    arguments = parse_arguments()
    prefix = wine_prefix()
    servers_before = set(wineservers_of(prefix))
    saver = None
    try:
        saver = Saver(arguments.saver, arguments.width, arguments.height, prefix)
        saver.wait_for_frame(arguments.start_bound)
        print(f"{os.path.basename(saver.path)} at {arguments.width} x {arguments.height}, "
              f"pid {saver.pid}, {os.cpu_count()} cores, load {os.getloadavg()[0]:.2f}")
        time.sleep(arguments.warm_up)
        measure(saver.pid, arguments.interval)
    finally:
        if saver is not None:
            saver.end()
        end_wineserver(prefix, servers_before)


if __name__ == "__main__":
    main()
