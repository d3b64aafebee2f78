#!/usr/bin/env python3
"""Two savers' main-thread CPU shares, measured over the same intervals: each
runs full-screen under Wine on an Xvfb of its own, both at once, so that a
drift of the machine's speed (10-30 % within minutes on a shared VM) meets
both alike. For a change against its baseline:

    bench/saver_cpu_pair.py old/pomarelo.scr new/pomarelo.scr 1920 1080

Prints each interval's shares and CPU time per frame, then the medians and
their ratio B/A. The saver started second has come out a few percent cheaper
than the first, even for two copies of one build, so run each pair in both
orders and take both ratios together. Windows as in saver_cpu.py. Each saver
has a Wine prefix and wineserver of its own (the second a copy of the first,
made once): in one, the saver started second would take the foreground from
the first, which then ends, as a saver that loses the foreground does.
"""
import argparse
import os
import shutil
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


def main_thread(saver):
    """Its CPU ticks and voluntary switches (about one a frame)."""
    task = f"/proc/{saver.pid}/task/{saver.pid}"
    return saver_cpu.cpu_ticks(f"{task}/stat"), saver_cpu.voluntary_switches(f"{task}/status")


def second_prefix(prefix):
    """A copy of the prefix, made once, for the second saver."""
    copy = prefix.rstrip("/") + "-pair"
    ready = os.path.join(copy, ".pomarelo-ready")
    if not os.path.exists(ready):
        shutil.rmtree(copy, ignore_errors=True)
        subprocess.run(["cp", "-a", prefix, copy], check=True, timeout=600)
        open(ready, "a").close()
    return copy


def main():
    arguments = parse_arguments()
    first = saver_cpu.wine_prefix()
    prefixes = [first, second_prefix(first)]
    servers_before = [set(saver_cpu.wineservers_of(prefix)) for prefix in prefixes]
    savers = []
    try:
        for path, prefix in zip((arguments.saver_a, arguments.saver_b), prefixes):
            savers.append(saver_cpu.Saver(path, arguments.width, arguments.height, prefix))
            savers[-1].wait_for_frame(arguments.start_bound)
        print(f"A {arguments.saver_a}\nB {arguments.saver_b}\n"
              f"{arguments.width} x {arguments.height}, {os.cpu_count()} cores; "
              f"main thread's share of one core (CPU per frame):")
        time.sleep(arguments.warm_up)
        shares = [[], []]
        for interval in range(arguments.intervals):
            before = [main_thread(saver) for saver in savers]
            start = time.monotonic()
            time.sleep(arguments.interval)
            elapsed = time.monotonic() - start
            after = [main_thread(saver) for saver in savers]
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
        for prefix, before in zip(prefixes, servers_before):
            saver_cpu.end_wineserver(prefix, before)


if __name__ == "__main__":
    main()
