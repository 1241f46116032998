#!/usr/bin/env python3
"""The runtime judged on public test spectra with reference results.

Analyses, fully automatically (search sensitivity and FWHM points of the window's
defaults unless told otherwise, energy calibration from the file):
- iaea2002/mix2neq6 against its reference list (time factor 239), scored with
  iaea_score.py;
- the Sanderson series: detection TEST01-09 and doublets TEST10-32 at 122, 662 and
  1332 keV, each reference component found or not, its area and z = (A - A_ref) / dA.
The data folder is read in place; each spectrum is written as a CHN file (published
integer layout) from its NAME.txt, with the folder's NAME.cal quadratic calibration
in the trailer and the live and real times of NAME.times.

Usage: run_reference.py BIN_DIR DATA_DIR WORK_DIR [--sens S] [--fwhm CH1 W1 CH2 W2]
  BIN_DIR holds analyse_chn; DATA_DIR is ../shared/realdata/reference.
"""
import argparse
import csv
import math
import os
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import iaea_score  # noqa: E402

DEFAULT_POINTS = ("200", "2.6", "4000", "3.5")  # the window's default FWHM points
MIX2NEQ6_FACTOR = 239.0  # reference count / test count, from the distribution's READ_ME
SANDERSON_LINES = (122.06, 661.66, 1332.49)


def read_text_spectrum(folder, name):
    counts = []
    with open(os.path.join(folder, name + ".txt")) as f:
        for line in f:
            if line.strip():
                counts.append(int(round(float(line.split(",")[1]))))
    with open(os.path.join(folder, name + ".cal")) as f:
        cal = [float(v) for v in [l for l in f if not l.startswith("#") and l.strip()][0].split()]
    with open(os.path.join(folder, name + ".times")) as f:
        real, live = (float(v) for v in f.read().split()[:2])
    return counts, cal, real, live


def chn_bytes(counts, cal, real, live):
    """The published integer CHN layout: 32-byte header (type -1, times in 20 ms
    ticks), the counts as 32-bit integers, a 512-byte trailer starting with -102 that
    holds the energy calibration c0, c1, c2 as 32-bit floats at offsets 4, 8, 12."""
    header = struct.pack("<hhh2sii8s4shH", -1, 1, 1, b"00", int(round(real * 50)), int(round(live * 50)),
                         b"01JAN02*", b"1200", 0, len(counts))
    data = struct.pack("<%di" % len(counts), *counts)
    trailer = bytearray(512)
    struct.pack_into("<hh3f", trailer, 0, -102, 0, *cal[:3])
    return header + data + bytes(trailer)


def write_chn(folder, name, work):
    counts, cal, real, live = read_text_spectrum(folder, name)
    with open(os.path.join(work, name + ".chn"), "wb") as f:
        f.write(chn_bytes(counts, cal, real, live))


def read_res(path):
    """Peaks of a .res file, columns read by the header line's names."""
    peaks, header, section = [], None, None
    with open(path, newline="") as f:
        for line in f.read().split("\r\n"):
            if line.startswith("["):
                section = line
                continue
            if section != "[peaks]" or not line.strip():
                continue
            fields = line.split()
            if header is None:
                header = fields
                continue
            row = dict(zip(header, fields))
            peaks.append({k: float(row[k]) for k in ("channel", "energy", "d_energy", "fwhm_kev", "area", "d_area")}
                         | {"flags": row.get("flags", "-")})
    return peaks


def analyse(bin_dir, work, names, args):
    out = os.path.join(work, "res")
    os.makedirs(out, exist_ok=True)
    command = [os.path.join(bin_dir, "analyse_chn"), "--sens", args.sens, "--fwhm"] + list(args.fwhm)
    times = []
    for name in names:
        start = time.perf_counter()
        subprocess.run(command + [work, out, name], stdout=subprocess.DEVNULL, check=False)
        times.append(time.perf_counter() - start)
    return out, times


def fmt(v, spec="%.2f"):
    return "-" if v is None else spec % v


def mix2neq6(data, bin_dir, work, args):
    folder = os.path.join(data, "iaea2002", "mix2neq6")
    write_chn(folder, "mix2neq6", work)
    out, times = analyse(bin_dir, work, ["mix2neq6"], args)
    refs = []
    with open(os.path.join(folder, "reference.csv")) as f:
        for row in csv.DictReader(f):
            refs.append({"energy": float(row["energy_kev"]), "d_energy": float(row["d_energy"]),
                         "area": float(row["area"]), "d_area": float(row["d_area"]),
                         "flag": int(row["use_flag"].strip())})
    reported = read_res(os.path.join(out, "mix2neq6.res"))
    s = iaea_score.score(refs, reported, MIX2NEQ6_FACTOR)
    print("== iaea2002/mix2neq6 (F = 239), %d peaks reported, %.0f ms" % (len(reported), 1000 * times[0]))
    print("  %-22s %7s %10s %10s %7s %10s" % ("group", "matches", "chi2(rep)", "chi2(ref)", "misses", "chi2(miss)"))
    for group, g in s["groups"].items():
        print("  %-22s %7d %10s %10s %7d %10s" % (group, g["matches"], fmt(g["chi2_reported"]),
                                                 fmt(g["chi2_reference"]), g["misses"], fmt(g["chi2_misses"])))
    print("  %-22s %7d %10s %10s %7d" % ("all matched (no 511)", s["matches"], fmt(s["chi2_reported"]),
                                         fmt(s["chi2_reference"]), s["misses"]))
    print("  false hits %d (chi2 %s); total chi2 %s" % (s["false_hits"], fmt(s["chi2_false"]), fmt(s["total"])))
    if args.verbose:
        for r in s["rows"]:
            ref, rep = r["ref"], r["rep"]
            print("    %-5s %-20s ref %8s %9s  rep %8s %9s +- %7s  z %s" % (
                r["kind"], r["group"], fmt(ref and ref["energy"]), fmt(ref and ref["area"], "%.1f"),
                fmt(rep and rep["energy"]), fmt(rep and rep["area"], "%.1f"), fmt(rep and rep["d_area"], "%.1f"),
                fmt(r["z"])))
    return s


def sanderson(data, bin_dir, work, args):
    folder = os.path.join(data, "sanderson1990")
    names = ["TEST%02d" % i for i in range(1, 33)]
    for name in names:
        write_chn(os.path.join(folder, name), name, work)
    out, times = analyse(bin_dir, work, names, args)
    print("\n== Sanderson 1990: per reference component: found (area +- d_area, z) ; extra: further peaks within 8 keV")
    summary = {}
    for name in names:
        refs = []
        with open(os.path.join(folder, name, "reference.csv")) as f:
            for row in csv.DictReader(f):
                refs.append({"energy": float(row["energy_kev"]), "d_energy": None,
                             "area": float(row["area"]), "d_area": None, "flag": 1})
        reported = read_res(os.path.join(out, name + ".res"))
        cells = []
        for line in SANDERSON_LINES:
            near_refs = [r for r in refs if abs(r["energy"] - line) < 6.0 and r["area"] > 0]
            near_reps = [p for p in reported if abs(p["energy"] - line) < 8.0]
            pairs = iaea_score.match(near_refs, near_reps)
            by_ref = {i: j for i, j in pairs}
            parts = []
            for i, ref in enumerate(near_refs):
                if i in by_ref:
                    rep = near_reps[by_ref[i]]
                    z = (rep["area"] - ref["area"]) / rep["d_area"] if rep["d_area"] > 0 else float("inf")
                    parts.append("%.0f/%.0f+-%.0f z%+.1f" % (ref["area"], rep["area"], rep["d_area"], z))
                    summary[(name, line, i)] = ("found", z)
                else:
                    parts.append("%.0f/miss" % ref["area"])
                    summary[(name, line, i)] = ("miss", None)
            extra = len(near_reps) - len(pairs)
            summary[(name, line, "extra")] = extra
            cells.append("%4.0f: %s%s" % (line, ", ".join(parts) if parts else "no peak expected",
                                          " +%d extra" % extra if extra else ""))
        print("  %s  %s" % (name, " | ".join(cells)))
    print("  median time per spectrum %.0f ms" % (1000 * sorted(times)[len(times) // 2]))
    sanderson_targets(summary)
    return summary


def sanderson_targets(summary):
    """The series' targets: which spectra and lines pass."""

    def both(name, line, within=None):
        members = [summary.get((name, line, i)) for i in (0, 1)]
        if any(m is None or m[0] != "found" for m in members):
            return False
        return within is None or all(abs(m[1]) <= within for m in members)

    equal = [(n, l) for n in ("TEST%02d" % i for i in range(11, 20)) for l in SANDERSON_LINES]
    unequal = [(n, l) for n in ("TEST%02d" % i for i in range(20, 33)) for l in SANDERSON_LINES
               if l > 200 or n not in ("TEST26", "TEST32")]
    rows = [
        ("equal doublets TEST11-19, both within 2.5 sigma", [both(n, l, 2.5) for n, l in equal]),
        ("unequal 4 ch TEST20-32 (122 keV to 1:10), both found", [both(n, l) for n, l in unequal]),
        ("TEST09 (no peaks): none within 8 keV of a line",
         [summary[("TEST09", l, "extra")] == 0 for l in SANDERSON_LINES]),
        ("TEST05 662 and 1332 keV found", [summary[("TEST05", l, 0)][0] == "found" for l in SANDERSON_LINES[1:]]),
    ]
    print("  targets:")
    for label, passed in rows:
        print("    %-55s %d of %d" % (label, sum(passed), len(passed)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("data")
    parser.add_argument("work")
    parser.add_argument("--sens", default="6")
    parser.add_argument("--fwhm", nargs=4, default=DEFAULT_POINTS)
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--only", choices=("mix2neq6", "sanderson"))
    args = parser.parse_args()
    iaea_score.self_test()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    print("FWHM points %s, sensitivity %s" % (" ".join(args.fwhm), args.sens))
    if args.only in (None, "mix2neq6"):
        mix2neq6(args.data, args.bin, args.work, args)
    if args.only in (None, "sanderson"):
        sanderson(args.data, args.bin, args.work, args)


if __name__ == "__main__":
    main()
