#!/usr/bin/env python3
"""Real-spectra benchmark of run_Tovalu's analysis.

For the five real HPGe spectra (published integer CHN layout) and a hand-labelled
list of clean single lines, sums each line's net area by hand (see hand_sum) and
analyses the spectra with analyse_chn under five FWHM settings: the window's
defaults (2.6 ch at 200, 3.5 ch at 4000), points that suit the detector (a line
FWHM^2 = a + b ch through the widths measured by hand), and 0.5, 0.6 and 2 times
those. Prints per setting and line: area / hand sum, whether it lies within
max(4 %, 2.5 sigma of the hand sum), the number of peaks reported within one FWHM,
and the fitted width against the hand-measured one.

With --default-factors F1,F2,... the settings are instead the window's defaults
times each factor (0.25,0.5,1,2,4: points from a quarter to four times the defaults).

Usage: real_spectra.py BIN_DIR CHN_DIR WORK_DIR [--sens S] [--default-factors F,...]
"""
import argparse
import math
import os
import shutil
import struct
import subprocess
import sys

# Clean single lines (keV) of more than 1000 net counts, judged by a person: a
# known single gamma line of the natural series, K-40 or the sources measured,
# with no other known line within 3 FWHM (so 238.6/242.0, 964.1/969.0 and
# 1085.8/1089.7 are left out), one maximum and a width like its neighbours' in
# the counts, and not the Doppler-broadened 511 keV annihilation line. The pottery's
# 121.8 keV line is left out too: its counts show a shoulder 7 channels above it
# (Eu-154's 123.1 keV line beside Eu-152's 121.8 keV one).
CLEAN_LINES = {
    "01122014152731-GT01122014182338-GA37": [295.2, 351.9, 583.2, 609.3, 911.2, 1120.3, 1764.5, 2614.5],
    "1110C_NAA_cave_background_May_2017": [351.9, 609.3, 1460.8, 1764.5, 2614.5],
    "1110C_NAA_cave_pottery": [344.3, 778.9, 1173.2, 1332.5, 1408.0],
    "Alcatraz14": [1460.8],
    "Mendocino_07-10-13_Acq-10-10-13": [295.2, 351.9, 583.2, 609.3, 1460.8, 1764.5, 2614.5],
}

# The window's default FWHM points (channel, FWHM in channels).
DEFAULT_POINTS = (200.0, 2.6, 4000.0, 3.5)


def read_chn(path):
    data = open(path, "rb").read()
    channels = struct.unpack_from("<H", data, 30)[0]
    counts = list(struct.unpack_from("<%di" % channels, data, 32))
    live = struct.unpack_from("<i", data, 12)[0] * 0.02
    c0, c1, c2 = struct.unpack_from("<3f", data, 32 + 4 * channels + 4)
    return counts, (c0, c1, c2), live


def channel_of(energy, cal):
    c0, c1, c2 = cal
    if abs(c2) < 1e-15:
        return (energy - c0) / c1
    return (-c1 + math.sqrt(c1 * c1 - 4 * c2 * (c0 - energy))) / (2 * c2)


def hand_sum(counts, approx_channel, keV_per_channel):
    """Net area of one line, as a person sums it by hand.

    The highest channel within 2 keV of the expected one is the top; the FWHM is
    read at half height above a straight background (linear interpolation between
    channels); the peak window runs from 2 FWHM below the top (room for the
    low-energy tail) to 1.5 FWHM above it; the background is the straight line
    through the means of two side windows of max(3, FWHM) channels just outside.
    Returns (centroid, fwhm, net, sigma of net)."""
    reach = max(2, int(round(2.0 / keV_per_channel)))
    lo, hi = int(approx_channel) - reach, int(approx_channel) + reach
    top = max(range(lo, hi + 1), key=lambda i: counts[i])
    # First guess of the background from 15 channels on each side at some distance.
    guess = 3 * reach + 4
    left_bg = sum(counts[top - guess - 5: top - guess]) / 5.0
    right_bg = sum(counts[top + guess + 1: top + guess + 6]) / 5.0
    height = counts[top] - 0.5 * (left_bg + right_bg)
    half = 0.5 * (left_bg + right_bg) + 0.5 * height
    i = top
    while counts[i] > half:
        i -= 1
    left = i + (half - counts[i]) / (counts[i + 1] - counts[i])
    j = top
    while counts[j] > half:
        j += 1
    right = j - (half - counts[j]) / (counts[j - 1] - counts[j])
    fwhm = right - left
    first = int(math.floor(top - 2.0 * fwhm))
    last = int(math.ceil(top + 1.5 * fwhm))
    side = max(3, int(round(fwhm)))
    left_side = counts[first - side: first]
    right_side = counts[last + 1: last + 1 + side]
    lmean = sum(left_side) / side
    rmean = sum(right_side) / side
    lx = first - (side + 1) / 2.0
    rx = last + (side + 1) / 2.0
    slope = (rmean - lmean) / (rx - lx)
    n = last - first + 1
    gross = sum(counts[first: last + 1])
    background = sum(lmean + slope * (ch - lx) for ch in range(first, last + 1))
    net = gross - background
    # Background variance: the line's mean over the window from two side means.
    var_bg = (n * n) * (sum(left_side) + sum(right_side)) / (2.0 * side) ** 2
    weighted = sum(ch * (counts[ch] - lmean - slope * (ch - lx)) for ch in range(first, last + 1))
    return weighted / net, fwhm, net, math.sqrt(gross + var_bg)


def read_res(path):
    peaks, width = [], None
    section = None
    with open(path, newline="") as f:
        for line in f.read().split("\r\n"):
            if line.startswith("["):
                section = line
                continue
            if section == "[calibration]" and line.startswith("fwhm ="):
                width = [float(v) for v in line.split("=")[1].split()[:3] if v not in ("-",)]
            if section == "[peaks]" and line and not line.startswith("no "):
                f_ = line.split()
                peaks.append({"channel": float(f_[1]), "fwhm": float(f_[5]), "area": float(f_[7]),
                              "d_area": float(f_[8]), "flags": f_[14] if len(f_) > 14 else "-"})
    return peaks, width


def width_at(width, channel):
    a, b = width[0], width[1]
    c = width[2] if len(width) > 2 else 0.0
    return math.sqrt(max(a + b * channel + c * channel * channel, 0.25))


def fitted_points(samples, channels):
    """FWHM points that suit the detector: the weighted line FWHM^2 = a + b ch through
    the hand widths, read at 5 % and 90 % of the channels."""
    n = len(samples)
    sx = sum(c for c, _ in samples)
    sy = sum(w * w for _, w in samples)
    sxx = sum(c * c for c, _ in samples)
    sxy = sum(c * w * w for c, w in samples)
    if n < 2 or n * sxx - sx * sx <= 0:
        c, w = samples[0]
        return (0.05 * channels, w, 0.9 * channels, w)
    b = (n * sxy - sx * sy) / (n * sxx - sx * sx)
    a = (sy - b * sx) / n
    lo, hi = 0.05 * channels, 0.9 * channels
    return (lo, math.sqrt(max(a + b * lo, 0.25)), hi, math.sqrt(max(a + b * hi, 0.25)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin")
    parser.add_argument("chn_dir")
    parser.add_argument("work")
    parser.add_argument("--sens", default="6")
    parser.add_argument("--default-factors")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    spectra = {}
    for name, energies in CLEAN_LINES.items():
        src = os.path.join(args.chn_dir, name + ".CHN")
        shutil.copy(src, os.path.join(args.work, name + ".chn"))
        counts, cal, live = read_chn(src)
        lines = []
        for e in energies:
            ch = channel_of(e, cal)
            centroid, fwhm, net, sigma = hand_sum(counts, ch, cal[1])
            lines.append({"energy": e, "channel": centroid, "fwhm": fwhm, "net": net, "sigma": sigma})
        spectra[name] = (counts, lines)
    print("Hand sums (centroid ch, hand FWHM ch, net counts, sigma):")
    for name, (counts, lines) in spectra.items():
        for l in lines:
            print("  %-38s %7.1f keV  ch %8.2f  fwhm %5.2f  net %9.0f +- %5.0f" % (
                name[:38], l["energy"], l["channel"], l["fwhm"], l["net"], l["sigma"]))
    settings = [("defaults", None), ("suited", 1.0), ("0.5x suited", 0.5), ("0.6x suited", 0.6), ("2x suited", 2.0)]
    if args.default_factors:
        settings = [("%sx defaults" % f, float(f)) for f in args.default_factors.split(",")]
    for label, factor in settings:
        total = good = 0
        print("\n== FWHM points: %s ==" % label)
        print("  %-22s %7s %7s %6s %4s %7s %s" % ("spectrum", "keV", "A/hand", "ok", "n", "fit/hw", "flags"))
        for name, (counts, lines) in spectra.items():
            if factor is None:
                points = DEFAULT_POINTS
            elif args.default_factors:
                points = (DEFAULT_POINTS[0], DEFAULT_POINTS[1] * factor, DEFAULT_POINTS[2], DEFAULT_POINTS[3] * factor)
            else:
                base = fitted_points([(l["channel"], l["fwhm"]) for l in lines], len(counts))
                points = (base[0], base[1] * factor, base[2], base[3] * factor)
            out = os.path.join(args.work, "res-" + label.replace(" ", "_"))
            os.makedirs(out, exist_ok=True)
            subprocess.run([os.path.join(args.bin, "analyse_chn"), "--sens", args.sens, "--fwhm"] +
                           ["%g" % p for p in points] + [args.work, out, name],
                           stdout=subprocess.DEVNULL, check=False)
            peaks, width = read_res(os.path.join(out, name + ".res"))
            for l in lines:
                near = [p for p in peaks if abs(p["channel"] - l["channel"]) <= l["fwhm"]]
                total += 1
                if not near:
                    print("  %-22s %7.1f %7s %6s %4d" % (name[:22], l["energy"], "-", "miss", 0))
                    continue
                best = min(near, key=lambda p: abs(p["channel"] - l["channel"]))
                ratio = best["area"] / l["net"]
                tolerance = max(0.04 * l["net"], 2.5 * l["sigma"])
                ok = len(near) == 1 and abs(best["area"] - l["net"]) <= tolerance
                good += ok
                fitted = width_at(width, l["channel"]) if width else float("nan")
                print("  %-22s %7.1f %7.3f %6s %4d %7.3f %s" % (
                    name[:22], l["energy"], ratio, "yes" if ok else "NO", len(near), fitted / l["fwhm"], best["flags"]))
        print("  -> %d of %d clean lines found once within max(4 %%, 2.5 sigma)" % (good, total))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
