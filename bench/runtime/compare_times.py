#!/usr/bin/env python3
"""Whole-process time per spectrum of two builds of analyse_chn, run in turns on the
same CHN files (so both see the same load of a shared machine).

Usage: compare_times.py OLD_BIN_DIR NEW_BIN_DIR CHN_DIR NAME... [--rounds R] [-- ANALYSER ARGS]
Prints per build the median CPU and wall milliseconds per process and the ratio.
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(binary, args, chn_dir, name, out):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([binary] + args + [chn_dir, out, name], stdout=subprocess.DEVNULL,
                   env=dict(os.environ, SORVANE_RUNTIME_WORKERS="1"))
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return 1000 * cpu, 1000 * wall


def main():
    argv = sys.argv[1:]
    extra = []
    if "--" in argv:
        extra = argv[argv.index("--") + 1:]
        argv = argv[:argv.index("--")]
    rounds = 3
    if "--rounds" in argv:
        i = argv.index("--rounds")
        rounds = int(argv[i + 1])
        del argv[i:i + 2]
    old_dir, new_dir, chn_dir, names = argv[0], argv[1], argv[2], argv[3:]
    builds = {"old": os.path.join(old_dir, "analyse_chn"), "new": os.path.join(new_dir, "analyse_chn")}
    times = {k: ([], []) for k in builds}
    with tempfile.TemporaryDirectory() as out:
        for _ in range(rounds):
            for name in names:
                for key, binary in builds.items():
                    cpu, wall = run_once(binary, extra, chn_dir, name, out)
                    times[key][0].append(cpu)
                    times[key][1].append(wall)
    med = {k: (statistics.median(c), statistics.median(w)) for k, (c, w) in times.items()}
    for key in builds:
        print("%-4s median CPU %6.1f ms, wall %6.1f ms per process" % (key, med[key][0], med[key][1]))
    print("new / old: CPU %.2f, wall %.2f" % (med["new"][0] / med["old"][0], med["new"][1] / med["old"][1]))


if __name__ == "__main__":
    main()
