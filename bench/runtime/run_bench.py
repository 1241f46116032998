#!/usr/bin/env python3
"""Synthetic benchmark of run_Tovalu's analysis against fityk.

For each kind of spectrum: generates COUNT spectra with known truth, analyses
each one in its own process with our analyser (analyse_chn, default options,
FWHM points (200, 2.0) and (3000, 3.8)) and with cfityk given the true peak
positions (linear background + GaussianA per peak, one fit per region), scores
both (score.py) and prints them side by side with the median whole-process
time per spectrum.

Usage: run_bench.py BIN_DIR WORK_DIR [--count N] [--seed S] [--kinds a,b,...] [--no-fityk]
                    [--fwhm-factor F]
closedoublets: pairs 0.5 and 0.7 FWHM apart among lone lines; hightails: isolated lines with a
high-energy (pile-up) tail; longtails: the same with a longer tail on a larger part of each
line. Kinds beyond the judged eight: foreign (shapes not the fit's own), edges (Compton edges
and backscatter bumps of three strong lines).
BIN_DIR holds synth_spectra and analyse_chn. Needs only the standard library
(and cfityk on the PATH for the peer).
"""
import argparse
import csv
import os
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import time
from collections import defaultdict

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import score  # noqa: E402

KINDS = ["mixed", "doublets", "closedoublets", "weak", "tails", "hightails", "longtails", "big"]


def timed(command):
    """Runs a command; returns (wall ms, cpu ms, stdout)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    wall = (time.perf_counter() - start) * 1000.0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = ((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)) * 1000.0
    return wall, cpu, done.stdout


def read_chn_counts(path):
    data = open(path, "rb").read()
    channels = struct.unpack_from("<H", data, 30)[0]
    return struct.unpack_from("<%di" % channels, data, 32)


def fityk_script(dat_path, counts, truth):
    """Regions as our runtime forms them: peaks closer than 4 FWHM together, 3 FWHM margins."""
    peaks = sorted(truth, key=lambda t: t["channel"])
    regions = []
    for p in peaks:
        if regions and p["channel"] - regions[-1][-1]["channel"] < 4 * p["fwhm"]:
            regions[-1].append(p)
        else:
            regions.append([p])
    lines = ["@0 < '%s'" % dat_path]
    n = len(counts)
    for region in regions:
        lo = max(0, int(region[0]["channel"] - 3 * region[0]["fwhm"]))
        hi = min(n - 1, int(region[-1]["channel"] + 3 * region[-1]["fwhm"]) + 1)
        edge = (sum(counts[lo:lo + 3]) + sum(counts[hi - 2:hi + 1])) / 6.0
        lines.append("A = (x >= %d and x <= %d)" % (lo, hi))
        lines.append("F = 0")
        lines.append("F += Linear(a0=~%g, a1=~0)" % max(edge, 0.5))
        for p in region:
            c, w = p["channel"], p["fwhm"]
            a = sum(counts[int(c - 1.2 * w):int(c + 1.2 * w) + 2]) - edge * (int(2.4 * w) + 2)
            lines.append("F += GaussianA(area=~%g, center=~%g, hwhm=~%g)" % (max(a, 10.0), c, w / 2))
        lines.append("fit")
        for k in range(len(region)):
            lines.append("print F[%d].center, F[%d].area, F[%d].area.error" % (k + 1, k + 1, k + 1))
    return "\n".join(lines) + "\n"


def run_kind(kind, args):
    work = os.path.join(args.work, kind)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "ours"))
    os.makedirs(os.path.join(work, "fityk"))
    subprocess.run([os.path.join(args.bin, "synth_spectra"), kind, str(args.count), str(args.seed), work], check=True)
    truth_csv = os.path.join(work, kind + "_truth.csv")
    truth = defaultdict(list)
    with open(truth_csv) as f:
        for row in csv.DictReader(f):
            row["channel"] = float(row["channel"])
            row["fwhm"] = float(row["fwhm"])
            truth[row["spectrum"]].append(row)
    names = sorted(truth)
    ours_wall, ours_cpu, fityk_wall, fityk_cpu = [], [], [], []
    analyser = os.path.join(args.bin, "analyse_chn")
    for name in names:
        sens = ["--sens", str(args.sens)] if getattr(args, "sens", None) else []
        factor = getattr(args, "fwhm_factor", 1.0)
        if factor != 1.0:  # FWHM points off the truth by this factor
            sens += ["--fwhm", "200", "%g" % (2.0 * factor), "3000", "%g" % (3.8 * factor)]
        wall, cpu, _ = timed([analyser] + sens + [work, os.path.join(work, "ours"), name])
        ours_wall.append(wall)
        ours_cpu.append(cpu)
    if not args.no_fityk:
        for name in names:
            counts = read_chn_counts(os.path.join(work, name + ".chn"))
            dat = os.path.join(work, "fityk", name + ".dat")
            with open(dat, "w") as f:
                f.writelines("%d %d\n" % (i, c) for i, c in enumerate(counts))
            script = os.path.join(work, "fityk", name + ".fit")
            with open(script, "w") as f:
                f.write(fityk_script(dat, counts, truth[name]))
            wall, cpu, out = timed(["cfityk", "-n", "-q", script])
            fityk_wall.append(wall)
            fityk_cpu.append(cpu)
            with open(os.path.join(work, "fityk", name + ".fityk.txt"), "w") as f:
                f.write(out)
    ours = score.score(truth_csv, os.path.join(work, "ours"))
    peer = None if args.no_fityk else score.score(truth_csv, os.path.join(work, "fityk"), fityk=True)
    return ours, peer, (ours_wall, ours_cpu, fityk_wall, fityk_cpu)


def cell(g):
    if g is None:
        return "%-34s" % "-"
    text = "%4.0f%% %+6.2f%% z %+5.2f z2 %5.2f" % (100 * g["found"], g["bias_pct"], g["mean_z"], g["mean_z2"])
    if "both_found" in g:
        text += " both %3.0f%%" % (100 * g["both_found"])
    return "%-34s" % text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("work")
    parser.add_argument("--count", type=int, default=50)
    parser.add_argument("--seed", type=int, default=7)
    parser.add_argument("--kinds", default=",".join(KINDS))
    parser.add_argument("--no-fityk", action="store_true")
    parser.add_argument("--fwhm-factor", type=float, default=1.0, help="FWHM points this many times the truth")
    args = parser.parse_args()
    print("cells: found%, mean bias of the area, mean z, mean z^2 (both: doublets with both members found)")
    for kind in args.kinds.split(","):
        ours, peer, times = run_kind(kind, args)
        ow, oc, fw, fc = times
        print("\n== %s: %d spectra ==" % (kind, ours["spectra"]))
        print("%-22s %-34s   %-34s" % ("group (n)", "ours", "fityk (true positions)"))
        for g in sorted(ours["groups"]):
            if g.startswith("band_") or (g.startswith("area_") and kind != "weak"):
                continue
            og = ours["groups"][g]
            pg = peer["groups"].get(g) if peer else None
            print("%-22s %s   %s" % ("%s (%d)" % (g, og["n"]), cell(og), cell(pg)))
        print("%-22s %-34s   %-34s" % ("false peaks/spectrum", "%.2f" % ours["false_per_spectrum"],
                                       "%.2f" % peer["false_per_spectrum"] if peer else "-"))
        print("%-22s %-34s   %-34s" % ("median ms wall / cpu", "%.1f / %.1f" % (statistics.median(ow), statistics.median(oc)),
                                       "%.1f / %.1f" % (statistics.median(fw), statistics.median(fc)) if fw else "-"))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
