#!/usr/bin/env python3
"""Energy calibrations of the IAEA 2002 spectra from lines of known energy.

Several stored calibrations of the set are missing or wrong (PROVENANCE.md:
maricsmall.spe carries a slope of 2.9e-157; the $MCA_CAL of picbig, PITBIG and
BGBIGPOINT, E = 10.087 + 0.63405 ch, puts Y-88's 1836 keV line at 1851 keV). For
each spectrum this script:
1. predicts each listed line's channel from a first guess (two lines read off the
   spectrum by eye: SMALL Am-241 59.54 keV at SPE channel 118.9 and Cs-137 661.66 keV
   at 1509.7; BIG the same lines at 77.8 and 1035.3; QCDBIG20, without Am-241,
   Cd-109 88.03 keV at 123.1 and Cs-137 at 1035.3);
2. takes the highest channel within +-8 channels of it, and the centroid of the
   counts above a straight background (the mean of channels 6-8 either side) over
   +-3 channels around that maximum;
3. fits E = c0 + c1 ch + c2 ch^2 by least squares, weights equal, drops lines more
   than 0.5 keV off and fits again; 2 then 3 once more with the fitted calibration.
The energies are the bundled library's (data/nuclides/gamma_lines.csv, DDEP).
Channels are SPE/.Chn channels (NAME.txt channel n is SPE channel n + 2).

Usage: derive_calibrations.py DATA_DIR OUT.csv   (DATA_DIR: realdata/reference/iaea2002)
"""
import csv
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import iaea_spectra  # noqa: E402

# Lines read off each kind of spectrum: the standards' nuclides, the samples'
# (Ba-133, Co-60, Eu-152, Cr-51, Na-22) and the natural background's.
STANDARD = [("Am-241", 59.5409), ("Cd-109", 88.0336), ("Co-57", 122.06065), ("Ce-139", 165.8575),
            ("Hg-203", 279.1952), ("Sn-113", 391.698), ("Cs-134", 604.720), ("Cs-137", 661.6553),
            ("Cs-134", 795.86), ("Mn-54", 834.848), ("Y-88", 898.042), ("Zn-65", 1115.539),
            ("Y-88", 1836.070)]
SAMPLE = [("Ba-133", 80.9979), ("Eu-152", 121.7817), ("Eu-152", 244.6974), ("Ba-133", 302.8508),
          ("Cr-51", 320.0835), ("Eu-152", 344.2785), ("Ba-133", 356.0129), ("Eu-152", 778.9045),
          ("Eu-152", 964.079), ("Co-60", 1173.228), ("Na-22", 1274.537), ("Co-60", 1332.492),
          ("Eu-152", 1408.013)]
BACKGROUND = [("Pb-212", 238.632), ("Pb-214", 295.224), ("Pb-214", 351.932), ("Tl-208", 583.187),
              ("Bi-214", 609.312), ("Ac-228", 911.196), ("Bi-214", 1120.287), ("K-40", 1460.822),
              ("Bi-214", 1764.494)]
POINT_SOURCE = [("Cd-109", 88.0336), ("Co-57", 122.06065), ("Ce-139", 165.8575), ("Sn-113", 391.698),
                ("Cs-137", 661.6553), ("Y-88", 898.042), ("Co-60", 1173.228), ("Co-60", 1332.492),
                ("Y-88", 1836.070)]
SMALL_GUESS = ((118.9, 59.5409), (1509.7, 661.6553))
BIG_GUESS = ((77.8, 59.5409), (1035.3, 661.6553))
SPECTRA = [("maricsmall", SMALL_GUESS, STANDARD), ("maritsmall", SMALL_GUESS, SAMPLE),
           ("BGSMALLMARI", SMALL_GUESS, BACKGROUND), ("picbig", BIG_GUESS, STANDARD),
           ("PITBIG", BIG_GUESS, SAMPLE), ("BGBIGPOINT", BIG_GUESS, BACKGROUND),
           ("QCDBIG20", ((123.1, 88.0336), (1035.3, 661.6553)), POINT_SOURCE)]


def centroid(counts, channel):
    lo = max(8, int(round(channel)) - 8)
    hi = min(len(counts) - 9, int(round(channel)) + 8)
    top = max(range(lo, hi + 1), key=lambda c: counts[c])
    background = (sum(counts[top - 8:top - 5]) + sum(counts[top + 6:top + 9])) / 6.0
    weights = [(c, counts[c] - background) for c in range(top - 3, top + 4)]
    net = sum(w for _, w in weights)
    if net <= 0:
        return None, 0.0
    return sum(c * w for c, w in weights) / net, net


def solve(rows, order):
    """Least squares E = sum c_k ch^k (k <= order) by the normal equations."""
    n = order + 1
    a = [[sum(ch ** (i + j) for ch, _ in rows) for j in range(n)] for i in range(n)]
    b = [sum(e * ch ** i for ch, e in rows) for i in range(n)]
    for i in range(n):  # Gauss-Jordan, the matrix is small and well scaled enough
        pivot = a[i][i]
        for j in range(n):
            a[i][j] /= pivot
        b[i] /= pivot
        for k in range(n):
            if k != i:
                f = a[k][i]
                for j in range(n):
                    a[k][j] -= f * a[i][j]
                b[k] -= f * b[i]
    return b + [0.0] * (3 - n)


def energy(cal, ch):
    return cal[0] + cal[1] * ch + cal[2] * ch * ch


def channel_of(cal, e):
    # Newton on the quadratic, from the linear guess.
    ch = (e - cal[0]) / cal[1]
    for _ in range(5):
        ch -= (energy(cal, ch) - e) / (cal[1] + 2 * cal[2] * ch)
    return ch


def derive(counts, guess, lines):
    (c1, e1), (c2, e2) = guess
    slope = (e2 - e1) / (c2 - c1)
    cal = [e1 - slope * c1, slope, 0.0]
    kept = []
    for _ in range(2):
        found = []
        for nuclide, e in lines:
            ch = channel_of(cal, e)
            if not 10 < ch < len(counts) - 10:
                continue
            c, net = centroid(counts, ch)
            if c is not None and net > 200:
                found.append((nuclide, e, c, net))
        rows = [(c, e) for _, e, c, _ in found]
        cal = solve(rows, 2 if len(rows) > 4 else 1)
        kept = [f for f in found if abs(energy(cal, f[2]) - f[1]) <= 0.5]
        cal = solve([(c, e) for _, e, c, _ in kept], 2 if len(kept) > 4 else 1)
    return cal, kept, found


def main():
    data, out = sys.argv[1], sys.argv[2]
    with open(out, "w", newline="") as f:
        f.write("# Energy calibrations of the IAEA 2002 spectra on SPE/.Chn channels, derived by\n"
                "# bench/efficiency/derive_calibrations.py from lines of known energy (DDEP values\n"
                "# of data/nuclides/gamma_lines.csv); residual columns in keV.\n")
        writer = csv.writer(f, lineterminator="\n")
        writer.writerow(["spectrum", "c0", "c1", "c2", "lines", "rms_kev", "max_kev", "lines_used"])
        for name, guess, lines in SPECTRA:
            spectrum = iaea_spectra.read_spe(os.path.join(data, name, name + ".spe"))
            cal, kept, found = derive(spectrum["counts"], guess, lines)
            residuals = [energy(cal, c) - e for _, e, c, _ in kept]
            rms = (sum(r * r for r in residuals) / len(residuals)) ** 0.5
            used = " ".join("%s@%.2f:%+.3f" % (n, e, energy(cal, c) - e) for n, e, c, _ in kept)
            writer.writerow([name, "%.6f" % cal[0], "%.8f" % cal[1], "%.4e" % cal[2], len(kept),
                             "%.3f" % rms, "%.3f" % max(abs(r) for r in residuals), used])
            dropped = [(n, e) for n, e, _, _ in found if (n, e) not in [(k[0], k[1]) for k in kept]]
            print("%-12s E = %.4f + %.7f ch + %.3e ch^2, %d lines, rms %.3f keV%s" % (
                name, cal[0], cal[1], cal[2], len(kept), rms,
                ", dropped " + " ".join("%s %.1f" % d for d in dropped) if dropped else ""))


if __name__ == "__main__":
    main()
