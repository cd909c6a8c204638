#!/usr/bin/env python3
"""Runs two builds of bench_live_stream in turns and prints the medians of their rounds.

    bench/capture/live_stream_turns.py ROUNDS NAME=BINARY NAME=BINARY -- ARGS...

Each round runs every binary once with ARGS (for example `--seconds 3 --only photo
--rounds 1`, or `--seconds 30 --only demo`), in the order given, so that the load of a
shared machine falls on all alike. Printed per build and run: the medians over the rounds
of the CPU share, CPU per frame, frames per second, photo time and photo CPU (the
user-interface thread's and the whole process's); for photo runs also the median of each
round's ratio of the JPEG stream's photo to the demo camera's (wall and process CPU).
"""
import re
import statistics
import subprocess
import sys

ROW = re.compile(
    r"\| (?P<run>.*?)\s+\|\s+(?P<cpu>[\d.]+) % \|\s+(?P<frame>[\d.]+) ms \|\s+(?P<fps>[\d.]+) \|"
    r"\s+(?P<photo>\d+) ms, CPU\s+(?P<thread>\d+) ms \(process\s+(?P<process>\d+) ms\)")
FIELDS = ["cpu", "frame", "fps", "photo", "thread", "process"]


def main(argv):
    if "--" not in argv or len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    cut = argv.index("--")
    rounds = int(argv[1])
    builds = [a.split("=", 1) for a in argv[2:cut]]
    args = argv[cut + 1:]
    seen = {}  # (build, run) -> list of rows
    ratios = {}  # build -> list of (wall, cpu) JPEG / demo per round
    for r in range(rounds):
        for name, binary in builds:
            out = subprocess.run([binary] + args, capture_output=True, text=True).stdout
            rows = {}
            for line in out.splitlines():
                m = ROW.match(line)
                if m:
                    rows[m["run"]] = {k: float(m[k]) for k in FIELDS}
                    seen.setdefault((name, m["run"]), []).append(rows[m["run"]])
            jpeg = next((v for k, v in rows.items() if "JPEG" in k), None)
            demo = next((v for k, v in rows.items() if k.startswith("demo")), None)
            if jpeg and demo:
                ratios.setdefault(name, []).append(
                    (jpeg["photo"] / demo["photo"], jpeg["process"] / demo["process"]))
            print(f"round {r + 1} {name}: {len(rows)} runs", file=sys.stderr, flush=True)
    print(f"medians of {rounds} rounds, arguments: {' '.join(args)}")
    print("| build | run | CPU of one core | CPU per frame | frames/s | photo | photo CPU "
          "(thread / process) |")
    print("|---|---|---:|---:|---:|---:|---:|")
    for (name, run), rows in seen.items():
        med = {k: statistics.median(row[k] for row in rows) for k in FIELDS}
        print(f"| {name} | {run} | {med['cpu']:.1f} % | {med['frame']:.2f} ms | {med['fps']:.1f} "
              f"| {med['photo']:.0f} ms | {med['thread']:.0f} / {med['process']:.0f} ms |")
    for name, values in ratios.items():
        wall = statistics.median(v[0] for v in values)
        cpu = statistics.median(v[1] for v in values)
        print(f"{name}: photo JPEG stream / demo camera, median of the rounds' ratios: "
              f"wall {wall:.2f}x, process CPU {cpu:.2f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
