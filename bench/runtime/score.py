#!/usr/bin/env python3
"""Scores result files against the truth of synthetic spectra.

Peaks are matched to the truth within one FWHM (each found peak to at most one
true peak, strongest true peaks first); z = (A_found - A_true) / d_area.
Usage: score.py TRUTH_CSV RES_DIR [--fityk]   (--fityk: RES_DIR holds NAME.fityk.txt)
Prints one JSON object with the figures per group.
"""
import csv
import json
import math
import os
import sys
from collections import defaultdict


def read_res(path):
    peaks = []
    with open(path, newline="") as f:
        lines = f.read().split("\r\n")
    section = None
    for line in lines:
        if line.startswith("["):
            section = line
            continue
        if section == "[peaks]" and line and not line.startswith("no "):
            fields = line.split()
            peaks.append({"channel": float(fields[1]), "area": float(fields[7]), "d_area": float(fields[8])})
    return peaks


def read_fityk(path):
    peaks = []
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 3:
                try:
                    peaks.append({"channel": float(fields[0]), "area": float(fields[1]), "d_area": float(fields[2])})
                except ValueError:
                    pass
    return peaks


def group_of(row):
    g = row["group"]
    if g.startswith("doublet"):
        return g
    return "isolated"


def score(truth_csv, res_dir, fityk=False):
    by_spectrum = defaultdict(list)
    with open(truth_csv) as f:
        for row in csv.DictReader(f):
            for key in ("channel", "area", "fwhm", "tail", "significance"):
                row[key] = float(row[key])
            by_spectrum[row["spectrum"]].append(row)
    stats = defaultdict(lambda: {"n": 0, "found": 0, "bias": [], "z": []})
    pairs = defaultdict(lambda: {"n": 0, "both": 0})
    false_peaks = []
    spectra = 0
    for name, truth in sorted(by_spectrum.items()):
        path = os.path.join(res_dir, name + (".fityk.txt" if fityk else ".res"))
        if not os.path.exists(path):
            continue
        spectra += 1
        found = read_fityk(path) if fityk else read_res(path)
        used = set()
        matched = {}
        for i in sorted(range(len(truth)), key=lambda i: -truth[i]["area"]):
            t = truth[i]
            best = None
            for j, p in enumerate(found):
                d = abs(p["channel"] - t["channel"])
                if j in used or d > t["fwhm"]:
                    continue
                if best is None or d < abs(found[best]["channel"] - t["channel"]):
                    best = j
            if best is not None:
                used.add(best)
                matched[i] = found[best]
        false_peaks.append(len(found) - len(used))
        for i, t in enumerate(truth):
            groups = []
            if t["group"] == "isolated":
                if t["significance"] > 10:
                    groups.append("strong")
                else:
                    groups.append("weak")
                if abs(t["area"] - 150) < 1e-9 and t["significance"] >= 8:
                    groups.append("a150_sig8")
                if t["area"] in (50, 100, 150, 200, 300, 400):
                    groups.append("area_%d" % t["area"])
                # Bands of expected significance, two wide, for the detection table.
                band = min(int(t["significance"] // 2) * 2, 16)
                groups.append("band_%02d" % band)
            else:
                groups.append(t["group"])
            for g in groups:
                s = stats[g]
                s["n"] += 1
                if i in matched:
                    p = matched[i]
                    s["found"] += 1
                    s["bias"].append((p["area"] - t["area"]) / t["area"])
                    if p["d_area"] > 0:
                        s["z"].append((p["area"] - t["area"]) / p["d_area"])
        # Doublets: both members found.
        members = defaultdict(list)
        for i, t in enumerate(truth):
            if t["group"].startswith("doublet"):
                members[(t["group"], round(t["channel"] / 50))].append(i)
        doublet_groups = defaultdict(list)
        for i, t in enumerate(truth):
            if t["group"].startswith("doublet"):
                doublet_groups[t["group"]].append(i)
        for g, idx in doublet_groups.items():
            for k in range(0, len(idx), 2):
                pairs[g]["n"] += 1
                if idx[k] in matched and idx[k + 1] in matched:
                    pairs[g]["both"] += 1
    out = {"spectra": spectra, "false_per_spectrum": sum(false_peaks) / max(spectra, 1), "groups": {}}
    for g, s in sorted(stats.items()):
        z = s["z"]
        out["groups"][g] = {
            "n": s["n"],
            "found": s["found"] / s["n"] if s["n"] else 0.0,
            "bias_pct": 100 * sum(s["bias"]) / len(s["bias"]) if s["bias"] else float("nan"),
            "bias_err_pct": 100 * (sum((b - sum(s["bias"]) / len(s["bias"])) ** 2 for b in s["bias"]) / len(s["bias"])) ** 0.5 / math.sqrt(len(s["bias"])) if len(s["bias"]) > 1 else float("nan"),
            "mean_z": sum(z) / len(z) if z else float("nan"),
            "mean_z2": sum(v * v for v in z) / len(z) if z else float("nan"),
        }
        if g in pairs:
            out["groups"][g]["both_found"] = pairs[g]["both"] / pairs[g]["n"]
    return out


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    print(json.dumps(score(sys.argv[1], sys.argv[2], "--fityk" in sys.argv[3:]), indent=1))
