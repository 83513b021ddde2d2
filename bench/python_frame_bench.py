#!/usr/bin/python3
"""rate_frame over the 8 760-hour year against the batch verb over the same file.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_frame_bench.py [BUILD] [ROUNDS]

Prints the median wall time of each over ROUNDS alternating rounds (default 15): the batch
verb as a whole process (CSV in, CSV out), rate_frame on a frame already read, and
read_csv + rate_frame. Both use their default thread count (one per processor).
"""
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

import pandas as pd

import novaflux

ROOT = pathlib.Path(__file__).resolve().parents[1]
BUILD = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build"
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 15
YEAR = ROOT / "examples" / "year_8760.csv"


def timed(action):
    started = time.perf_counter()
    action()
    return time.perf_counter() - started


def main():
    frame = pd.read_csv(YEAR)
    novaflux.rate_frame(frame)  # the worker threads and their catalogue connections
    out = os.path.join(tempfile.mkdtemp(), "year_out.csv")
    batch = [str(BUILD / "bin" / "novaflux"), "batch", str(YEAR), "-o", out]
    times = {"batch verb": [], "rate_frame": [], "read_csv + rate_frame": []}
    for _ in range(ROUNDS):
        times["batch verb"].append(timed(lambda: subprocess.run(batch, check=True)))
        times["rate_frame"].append(timed(lambda: novaflux.rate_frame(frame)))
        times["read_csv + rate_frame"].append(timed(lambda: novaflux.rate_frame(pd.read_csv(YEAR))))
    base = statistics.median(times["batch verb"])
    for name, values in times.items():
        median = statistics.median(values)
        print(f"{name:24s} {median * 1000:7.1f} ms  ({median / base:.2f}x the batch verb)")


if __name__ == "__main__":
    main()
