#!/usr/bin/env python3
"""Peaks of one result that no line of the library explains.

A reported peak is explained when its energy lies within max(0.5 FWHM, 3 d_energy)
of a line of ../shared/nuclides/gamma_lines.csv, of the 511 keV annihilation line,
of a single or double escape (E - 511, E - 1022) of a library line above 1022 keV,
or of the sum of two reported library lines. Prints the rest.

Usage: unexplained.py RES_FILE GAMMA_LINES_CSV
"""
import csv
import sys

sys.path.insert(0, __import__("os").path.dirname(__import__("os").path.abspath(__file__)))


def read_peaks(path):
    peaks, section, header = [], None, None
    with open(path, newline="") as f:
        for line in f.read().split("\r\n"):
            if line.startswith("["):
                section = line
                continue
            if section == "[peaks]" and line:
                fields = line.split()
                if header is None:
                    header = fields
                    continue
                peaks.append(dict(zip(header, fields)))
    return peaks


def main():
    peaks = read_peaks(sys.argv[1])
    lines = [(r["nuclide"], float(r["energy_keV"])) for r in csv.DictReader(open(sys.argv[2]))]
    lines.append(("annihilation", 511.0))
    energies = [float(p["energy"]) for p in peaks]
    for p in peaks:
        e = float(p["energy"])
        tolerance = max(0.5 * float(p["fwhm_kev"]), 3 * float(p["d_energy"]))
        names = [n for n, le in lines if abs(le - e) <= tolerance]
        names += ["SE " + n for n, le in lines if le > 1022 and abs(le - 511 - e) <= tolerance]
        names += ["DE " + n for n, le in lines if le > 1022 and abs(le - 1022 - e) <= tolerance]
        known = [le for _, le in lines if any(abs(le - x) <= 1.0 for x in energies)]
        names += ["sum %.1f+%.1f" % (a, b) for i, a in enumerate(known) for b in known[i:]
                  if abs(a + b - e) <= tolerance]
        if not names:
            print("%8.2f keV  area %10.0f +- %7.0f  chi2r %6.2f  flags %s" % (
                e, float(p["area"]), float(p["d_area"]), float(p["chi2r"]), p["flags"]))


if __name__ == "__main__":
    main()
