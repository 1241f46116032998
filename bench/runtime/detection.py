#!/usr/bin/env python3
"""Detection against the search's sensitivity.

For pkf_sens 4, 6 and 8 and the kinds mixed, weak and big: the share of isolated
peaks found per band of expected significance (two wide; the truth's significance
column), the share found in the band [pkf_sens + 2, pkf_sens + 6) with its target
of 90 %, and false peaks per spectrum (target <= 0.5).

Usage: detection.py BIN_DIR WORK_DIR [--count N] [--seed S]
"""
import argparse
import os
import sys
from types import SimpleNamespace

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_bench  # noqa: E402

SENSITIVITIES = (4.0, 6.0, 8.0)
KINDS = ("mixed", "weak", "big")
BANDS = range(2, 18, 2)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("work")
    parser.add_argument("--count", type=int, default=20)
    parser.add_argument("--seed", type=int, default=11)
    args = parser.parse_args()
    header = "".join("%7s" % ("%d-%s" % (b, b + 2 if b < 16 else "")) for b in BANDS)
    print("found % per band of expected significance; target band [s+2, s+6) >= 90 %, false <= 0.5")
    print("%-5s %-6s %s %9s %7s" % ("sens", "kind", header, "target", "false"))
    for sens in SENSITIVITIES:
        for kind in KINDS:
            run = SimpleNamespace(bin=args.bin, work=os.path.join(args.work, "s%g" % sens), count=args.count,
                                  seed=args.seed, no_fityk=True, sens=sens)
            ours, _, _ = run_bench.run_kind(kind, run)
            groups = ours["groups"]
            cells, n_target, f_target = "", 0, 0.0
            for b in BANDS:
                g = groups.get("band_%02d" % b)
                cells += "%7s" % ("-" if not g else "%3.0f%%" % (100 * g["found"]))
                if g and sens + 2 <= b < sens + 6:
                    n_target += g["n"]
                    f_target += g["found"] * g["n"]
            target = "%3.0f%% n%d" % (100 * f_target / n_target, n_target) if n_target else "-"
            print("%-5g %-6s %s %9s %7.2f" % (sens, kind, cells, target, ours["false_per_spectrum"]))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
