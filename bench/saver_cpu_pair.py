#!/usr/bin/env python3
"""Two savers' main-thread CPU shares, measured over the same intervals: each
runs full-screen under Wine on an Xvfb of its own, both at once, so that a
drift of the machine's speed (10-30 % within minutes on a shared VM) meets
both alike. For a change against its baseline:

    bench/saver_cpu_pair.py old/pomarelo.scr new/pomarelo.scr 1920 1080

Prints each interval's shares and CPU time per frame, then the medians and
their ratio B/A. The saver started second has come out a few percent cheaper
than the first, even for two copies of one build, so run each pair in both
orders and take both ratios together. Prefix and windows as in saver_cpu.py.
"""
import argparse
import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import saver_cpu  # noqa: E402


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("saver_a", help="path of the first .scr")
    parser.add_argument("saver_b", help="path of the second .scr")
    parser.add_argument("width", type=int)
    parser.add_argument("height", type=int)
    parser.add_argument("--warm-up", type=float, default=5.0, help="seconds before measuring")
    parser.add_argument("--interval", type=float, default=5.0, help="seconds per interval")
    parser.add_argument("--intervals", type=int, default=6)
    parser.add_argument("--start-bound", type=float, default=600.0,
                        help="seconds allowed for each first frame")
    return parser.parse_args()


class Saver:
    def __init__(self, path, width, height, prefix):
        self.path = os.path.abspath(path)
        self.display = saver_cpu.free_display()
        self.environment = dict(os.environ, DISPLAY=f":{self.display}", WINEPREFIX=prefix,
                                WINEARCH="win64", WINEDEBUG="-all",
                                WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = subprocess.Popen(["Xvfb", f":{self.display}", "-screen", "0",
                                      f"{width}x{height}x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wine = None
        self.pid = None
        saver_cpu.wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.display}"), 30,
                           "Xvfb start")
        loader = saver_cpu.WINE64 if os.path.exists(saver_cpu.WINE64) and \
            saver_cpu.pe_is_64_bit(self.path) else "wine"
        self.wine = subprocess.Popen([loader, self.path, "/s"], env=self.environment,
                                     start_new_session=True, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def showing(self):
        window = subprocess.run(["xdotool", "search", "--name", "^SCREENSAVER$"],
                                env=self.environment, capture_output=True).returncode == 0
        return window and saver_cpu.screen_is_mostly_blue(self.display, self.environment)

    def main_thread(self):
        """CPU ticks and voluntary switches (about one a frame)."""
        task = f"/proc/{self.pid}/task/{self.pid}"
        return saver_cpu.cpu_ticks(f"{task}/stat"), saver_cpu.voluntary_switches(f"{task}/status")

    def end(self):
        if self.wine is not None:
            subprocess.run(["xdotool", "key", "space"], env=self.environment, capture_output=True)
            try:
                self.wine.wait(timeout=20)
            except subprocess.TimeoutExpired:
                pass
            try:
                os.killpg(self.wine.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.xvfb.terminate()
        self.xvfb.wait(timeout=20)


def main():
    arguments = parse_arguments()
    prefix = os.environ.get("POMARELO_WINEPREFIX",
                            os.path.expanduser("~/.cache/pomarelo/wine"))
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    servers_before = set(saver_cpu.wineservers_of(prefix))
    savers = []
    try:
        for path in (arguments.saver_a, arguments.saver_b):
            saver = Saver(path, arguments.width, arguments.height, prefix)
            savers.append(saver)
            saver_cpu.wait_for(saver.showing, arguments.start_bound, "the first frame")
            # Both savers may share a name: each is found by its display.
            saver.pid = saver_cpu.saver_process(os.path.basename(saver.path), saver.display)
            if saver.pid is None:
                sys.exit(f"the process of {saver.path} was not found")
        print(f"A {arguments.saver_a}\nB {arguments.saver_b}\n"
              f"{arguments.width} x {arguments.height}, {os.cpu_count()} cores; "
              f"main thread's share of one core (CPU per frame):")
        time.sleep(arguments.warm_up)
        shares = [[], []]
        for interval in range(arguments.intervals):
            before = [saver.main_thread() for saver in savers]
            start = time.monotonic()
            time.sleep(arguments.interval)
            elapsed = time.monotonic() - start
            after = [saver.main_thread() for saver in savers]
            line = []
            for i in range(2):
                share = (after[i][0] - before[i][0]) / saver_cpu.CLOCK_TICKS / elapsed
                frames = (after[i][1] - before[i][1]) / elapsed
                shares[i].append(share)
                per_frame = share / frames * 1e6 if frames else 0.0
                line.append(f"{share:.3f} ({per_frame:.0f} us)")
            print(f"  {interval + 1:2}: A {line[0]}   B {line[1]}", flush=True)
        a, b = statistics.median(shares[0]), statistics.median(shares[1])
        print(f"median: A {a:.3f}   B {b:.3f}   B/A {b / a:.3f}")
    finally:
        for saver in savers:
            saver.end()
        if not servers_before and saver_cpu.wineservers_of(prefix):
            environment = dict(os.environ, WINEPREFIX=prefix)
            server = saver_cpu.WINESERVER if os.path.exists(saver_cpu.WINESERVER) \
                else "wineserver"
            subprocess.run([server, "-k"], env=environment, capture_output=True, timeout=60)


if __name__ == "__main__":
    main()
