#!/usr/bin/env python3
"""Efficiency from the IAEA 2002 calibration sources and their certificates, and the
test samples analysed like unknowns with those curves.

1. maricsmall (MARIC, 500 mL Marinelli, SMALL) and picbig (PIC, 100 mL pillbox, BIG)
   are written as CHN files with the energy calibrations of calibrations.csv (made by
   derive_calibrations.py) and analysed with identification limited to their eleven
   certified nuclides, the detector's background (BGSMALLMARI, BGBIGPOINT) taken off;
2. `sorvanecli efficiency` builds each curve from the result and
   calibration_certificates.csv (read in place), order 4, Cs-134 left out (its
   cascades sum in coincidence in these close geometries: its lines fall 5-15 %
   below the others), the nuclides' certified uncertainties independent of each
   other ("independent", the curve the samples use); the same with them shared by
   the whole standard ("shared", --shared-certificate); and one that also leaves out
   Y-88 (summing of 898 + 1836 keV, "no-summing");
   With the detector's peak-to-total curve (4. below), the same with Cs-134 in and
   each line corrected for true-coincidence summing (--peak-to-total, "summing"),
   beside the curve with Cs-134 in and no correction ("with-Cs-134");
3. maritsmall (MARIT, Marinelli, SMALL) with the maricsmall curve and PITBIG (PIT,
   pillbox, BIG) with the picbig curve are analysed with the whole library, activities
   at the certificates' reference time (2002-11-01 12:00), each with its detector's
   background named in the settings (BGSMALLMARI, BGBIGPOINT) when the runtime knows
   the key; the standards themselves are analysed the same way (the round trip),
   and with the "summing" curve and the runtime's own summing correction;
4. the peak-to-total curves: the single-photon point sources (Cd-109, Co-57, Sn-113,
   Cs-137, Mn-54, Zn-65; Am-241 not, its Ge escape peak lies in the band that sets the
   continuum below the cut) analysed with the standard's energy calibration of the
   same detector, and `sorvanecli peak-to-total` (order 3, low cut 40 keV) with the
   point-source background (BGBIGPOINT, BGSMALLPOINT) taken off.
FWHM points per detector were read off the standards' strong single peaks (SMALL
2.4 channels at channel 263, 4.3 at 2557; BIG 2.5 at 247, 4.3 at 2903).

Usage: run_iaea_efficiency.py BUILD_DIR DATA_DIR WORK_DIR
  DATA_DIR is realdata/reference; prints the curves, the round trip and the samples.
"""
import csv
import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import iaea_spectra  # noqa: E402

REFERENCE_TIME = "2002-11-01 12:00:00"  # the Analytics certificates' (EST, as the spectra's clock)
FWHM = {"small": ["263", "2.4", "2557", "4.3"], "big": ["247", "2.5", "2903", "4.3"]}
STANDARDS = [("maricsmall", "small", "MARIC"), ("picbig", "big", "PIC")]
BACKGROUND = {"small": "BGSMALLMARI", "big": "BGBIGPOINT"}
SAMPLES = [("maritsmall", "maricsmall", "BGSMALLMARI"), ("PITBIG", "picbig", "BGBIGPOINT")]
DETECTOR = {"maricsmall": "small", "maritsmall": "small", "BGSMALLMARI": "small",
            "picbig": "big", "PITBIG": "big", "BGBIGPOINT": "big"}
# label, nuclides left out, the certificate's uncertainty shared by all nuclides,
# corrected for coincidence summing with the detector's peak-to-total curve
CURVES = [("independent", "Cs-134", False, False), ("shared", "Cs-134", True, False),
          ("no-summing", "Cs-134,Y-88", False, False), ("with-Cs-134", "", False, False),
          ("summing", "", False, True)]
# The single-photon point sources of each detector, their background, and the
# standard whose energy calibration they are written with.
POINT_SOURCES = {"big": (["Cd109BIG", "Co57BIG", "Sn113BIG", "Cs137BIG", "Mn54BIG", "Zn65BIG"],
                         "BGBIGPOINT", "picbig"),
                 "small": (["Cd109SMALL", "Co57SMALL", "Sn113SMALL", "Cs137SMALL", "Mn54SMALL",
                            "Zn65SMALL"], "BGSMALLPOINT", "maricsmall")}
POINT_NUCLIDES = "Cd-109 Co-57 Sn-113 Cs-137 Mn-54 Zn-65"
SAMPLE_CURVE = "independent"
# The corrected runs' container and matter where summing or self-attenuation depend on
# them. The pillbox: 100 mL in a 125 mL jar of 5.0 cm inner diameter (fill height 5.09
# cm; the set gives no sizes), BIG as a disk 7.0 cm across 2.0 cm below the jar's bottom
# (the depth the QCD1 point source's end-cap and 20 cm spectra give,
# bench/summing/iaea_factors). PICBIG is a polymer of 1.15 g/mL (C 72.1 %, H 6.0 %,
# O 21.9 %), PITBIG the same with CaCO3 mixed in to 1.6 g/mL (as
# bench/summing/iaea_attenuation). The standard's curve takes its factors over the jar
# (sorvanecli efficiency --geometry), and so does its round trip; the Marinelli beaker's
# summing keeps the mean efficiencies and maritsmall is its standard's matter: nothing
# to add there.
CALCITE_MASS = 0.288 * 2.71 / 1.6
PILLBOX = [("container", "cylinder"), ("container_diameter_cm", "5.0"),
           ("fill_height_cm", "%.3f" % (100.0 / (math.pi * 2.5 * 2.5))),
           ("detector_diameter_cm", "7.0"), ("detector_depth_cm", "2.0"),
           ("standard_density", "1.15"), ("standard_composition", "C 72.1, H 6.0, O 21.9")]
GEOMETRY = {
    "picbig": PILLBOX + [("sample_density", "1.15"), ("sample_composition", "C 72.1, H 6.0, O 21.9")],
    "PITBIG": PILLBOX + [("attenuation_correction", "1"), ("sample_density", "1.6"),
                         ("sample_composition", "C %.5f, H %.5f, O %.5f, Ca %.5f" % (
                             72.1 * (1 - CALCITE_MASS) + 12.00 * CALCITE_MASS, 6.0 * (1 - CALCITE_MASS),
                             21.9 * (1 - CALCITE_MASS) + 47.96 * CALCITE_MASS, 40.04 * CALCITE_MASS))]}
ORDER = "4"


def write_chn_files(data, work):
    folder = os.path.join(work, "chn")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(HERE, "calibrations.csv")) as f:
        rows = list(csv.DictReader(line for line in f if not line.startswith("#")))
    calibrations = {row["spectrum"]: [float(row["c0"]), float(row["c1"]), float(row["c2"])]
                    for row in rows}
    named = [(name, calibration) for name, calibration in calibrations.items()]
    for sources, background, standard in POINT_SOURCES.values():
        named += [(name, calibrations[standard]) for name in sources + [background]]
    for name, calibration in named:
        spectrum = iaea_spectra.read_spe(os.path.join(data, "iaea2002", name, name + ".spe"))
        with open(os.path.join(folder, name + ".chn"), "wb") as out:
            out.write(iaea_spectra.chn_bytes(spectrum["counts"], calibration, spectrum["real"],
                                             spectrum["live"], spectrum["start"]))
    return folder


def peak_to_total_curves(build, chn, work, sorvanecli):
    """PT-big.txt and PT-small.txt from the point sources, by `sorvanecli peak-to-total`."""
    curves = {}
    for detector, (sources, background, _) in POINT_SOURCES.items():
        folder = os.path.join(work, "point-sources-" + detector)
        settings(folder, [("identify", "0")])
        analyse(build, chn, folder, [background], detector)
        # the background's peaks taken off the sources' (else they pass as the source's own)
        settings(folder, [("identify", "1"), ("nuclides_of_interest", POINT_NUCLIDES),
                          ("background_spectrum", os.path.join(chn, background + ".chn"))])
        analyse(build, chn, folder, sources, detector)
        curves[detector] = os.path.join(work, "PT-%s.txt" % detector)
        run = subprocess.run([sorvanecli, "peak-to-total", "--background",
                              os.path.join(folder, background + ".res"), "--order", "3", "--out",
                              curves[detector]] + [os.path.join(folder, n + ".res") for n in sources],
                             capture_output=True, text=True)
        print("== peak-to-total %s (background %s)" % (detector, background))
        print(run.stdout + run.stderr)
        with open(curves[detector]) as f:
            print(f.read())
    return curves


def geometry_file(work, name):
    """The standard's jar in a nuclide settings file, for sorvanecli efficiency --geometry."""
    path = os.path.join(work, name + "-geometry.nuclides")
    with open(path, "w", newline="") as f:
        f.write("[nuclides]\r\n" + "".join("%s = %s\r\n" % kv for kv in GEOMETRY[name]))
    return path


def settings(folder, lines):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "sorvane.inf.nuclides"), "w", newline="") as f:
        f.write("[nuclides]\r\n" + "".join("%s = %s\r\n" % kv for kv in lines))


def analyse(build, chn, out, names, detector):
    command = [os.path.join(build, "bench", "runtime", "analyse_chn"), "--fwhm"] + FWHM[detector]
    subprocess.run(command + [chn, out] + names, stdout=subprocess.DEVNULL, check=True)


def table(path, section):
    """The rows of a .res section as dicts by the header's column names."""
    rows, header, inside = [], None, False
    with open(path, newline="") as f:
        for line in f.read().split("\r\n"):
            if line.startswith("["):
                inside, header = line == section, None
                continue
            if not inside or not line.strip() or " = " in line:
                continue
            fields = line.split()
            if header is None:
                header = fields
            else:
                rows.append(dict(zip(header, fields)))
    return rows


def certified(data, source):
    with open(os.path.join(data, "iaea2002", "calibration_certificates.csv")) as f:
        return {r["nuclide"]: float(r["value"]) for r in csv.DictReader(f) if r["source"] == source}


def main():
    build, data = sys.argv[1:3]
    work = os.path.abspath(sys.argv[3])  # the settings name files the runtime reads from their folder
    certificate = os.path.join(data, "iaea2002", "calibration_certificates.csv")
    chn = write_chn_files(data, work)
    sorvanecli = os.path.join(build, "src", "app", "sorvanecli")
    curves = {}
    pt = peak_to_total_curves(build, chn, work, sorvanecli)
    for name, detector, source in STANDARDS:
        folder = os.path.join(work, "standard-" + name)
        settings(folder, [("identify", "1"),
                          ("nuclides_of_interest", " ".join(sorted(certified(data, source)))),
                          ("background_spectrum", os.path.join(chn, BACKGROUND[detector] + ".chn"))])
        analyse(build, chn, folder, [name], detector)
        residuals = {}
        for label, leave_out, shared, summing in CURVES:
            eff = os.path.join(work, "%s-%s.eff" % (name, label))
            run = subprocess.run([sorvanecli, "efficiency", os.path.join(folder, name + ".res"),
                                  "--certificate", certificate, "--out", eff, "--order", ORDER,
                                  "--leave-out", leave_out] + (["--shared-certificate"] if shared else []) +
                                 (["--peak-to-total", pt[detector]] if summing else []) +
                                 (["--geometry", geometry_file(work, name)] if summing and name in GEOMETRY
                                  else []),
                                 capture_output=True, text=True)
            print("== curve %s (%s), %s" % (name, label, "left out: " + (leave_out or "none")))
            print(run.stdout + run.stderr)
            curves[(name, label)] = eff
            residuals[label] = residual_rows(run.stdout)
        residual_table(name, residuals, ["independent", "with-Cs-134", "summing"])
        for label in ("independent", "shared"):
            round_trip(build, chn, work, data, name, detector, source, label, curves[(name, label)])
        # the corrected curve, and the activities corrected line by line as well
        round_trip(build, chn, work, data, name, detector, source, "summing", curves[(name, "summing")],
                   [("summing_correction", "1"), ("peak_to_total_file", pt[detector])] +
                   GEOMETRY.get(name, []))

    point_source_curve(build, chn, work, sorvanecli, certificate)

    for sample, standard, background in SAMPLES:
        analyse_sample(build, chn, work, sample, standard, background, curves, pt)


def analyse_sample(build, chn, work, sample, standard, background, curves, pt):
    """A sample analysed like an unknown twice: with the standard's plain curve and no
    correction, and with its summing-corrected curve and each line corrected too."""
    detector = DETECTOR[sample]
    runs = {}
    for mode, curve, extra in (("plain", SAMPLE_CURVE, []),
                               ("summing", "summing", [("summing_correction", "1"),
                                                       ("peak_to_total_file", pt[detector])] +
                                GEOMETRY.get(sample, []))):
        folder = os.path.join(work, "sample-%s-%s" % (sample, mode))
        # Environmental samples: their natural chains are taken as in equilibrium.
        settings(folder, [("identify", "1"), ("efficiency_file", curves[(standard, curve)]),
                          ("reference_time", REFERENCE_TIME), ("chains_in_equilibrium", "1"),
                          ("background_spectrum", os.path.join(chn, background + ".chn"))] + extra)
        analyse(build, chn, folder, [sample], detector)
        runs[mode] = table(os.path.join(folder, sample + ".res"), "[nuclides]")
    print("== sample %s (curve %s: plain / summing-corrected, background %s), identified or detected "
          "nuclides, Bq at %s" % (sample, standard, background, REFERENCE_TIME))
    print("  %-10s %-10s %-6s %-6s %12s %10s %12s %10s %7s %-14s %s" % (
        "nuclide", "identified", "score", "lines", "plain", "u", "corrected", "u", "ratio", "verdict", "reason"))
    corrected = {r["nuclide"]: r for r in runs["summing"]}
    for r in runs["plain"]:
        c = corrected.get(r["nuclide"], {})
        if r.get("identified") != "yes" and r.get("verdict") != "detected" and c.get("verdict") != "detected":
            continue
        a, b = r.get("activity"), c.get("activity")
        ratio = "%.3f" % (float(b) / float(a)) if a not in (None, "-") and b not in (None, "-") else "-"
        print("  %-10s %-10s %-6s %-6s %12s %10s %12s %10s %7s %-14s %s" % (
            r["nuclide"], "%s/%s" % (r.get("identified"), c.get("identified", "-")), c.get("score", r.get("score")), c.get("lines", r.get("lines")), number(a),
            number(r.get("d_activity")), number(b), number(c.get("d_activity")), ratio,
            c.get("verdict", "-"), c.get("reason", "-")))
    print()


def point_source_curve(build, chn, work, sorvanecli, certificate):
    """The QCD1 point source at 20 cm on BIG, certified in photons per second per
    line (its rows name QCDBIG20): the per-line path, order 3, no summing at 20 cm."""
    folder = os.path.join(work, "standard-QCDBIG20")
    settings(folder, [("identify", "1"),
                      ("nuclides_of_interest", "Cd-109 Co-57 Ce-139 Hg-203 Sn-113 Sr-85 Cs-137 Y-88 Co-60"),
                      ("background_spectrum", os.path.join(chn, "BGBIGPOINT.chn"))])
    analyse(build, chn, folder, ["QCDBIG20"], "big")
    run = subprocess.run([sorvanecli, "efficiency", os.path.join(folder, "QCDBIG20.res"), "--certificate",
                          certificate, "--out", os.path.join(work, "QCDBIG20.eff"), "--order", "3"],
                         capture_output=True, text=True)
    print("== curve QCDBIG20 (QCD1 photon rates per line, 20 cm)")
    print(run.stdout + run.stderr)


def residual_rows(report):
    """(nuclide, energy) -> (point/curve-1 %, normalised, summing factor or None)."""
    rows, inside = {}, False
    for line in report.splitlines():
        if line.startswith("residuals:"):
            inside = True
            continue
        fields = line.split()
        if not inside or not line.startswith("  ") or len(fields) < 7:
            inside = inside and line.startswith("  ")
            continue
        rows[(fields[0], float(fields[1]))] = (float(fields[5]), float(fields[6]),
                                               float(fields[7]) if len(fields) > 7 else None)
    chi2 = [l for l in report.splitlines() if l.startswith("reduced chi-square")]
    rounds = [l for l in report.splitlines() if l.startswith("summing: each line")]
    return {"rows": rows, "chi2": chi2[0] if chi2 else "no curve",
            "rounds": rounds[0].split("; ")[-1] if rounds else ""}


def residual_table(standard, residuals, labels):
    """Markdown: each line's residual (normalised) per curve, the summing factor beside."""
    print("== residuals of %s, point / curve - 1 in %% (normalised)" % standard)
    for label in labels:
        print("  %s: %s %s" % (label, residuals[label]["chi2"], residuals[label]["rounds"]))
    print("| line keV | " + " | ".join(labels) + " | summing factor |")
    print("|---" * (len(labels) + 2) + "|")
    lines = sorted({key for label in labels for key in residuals[label]["rows"]},
                   key=lambda k: (k[1], k[0]))
    for key in lines:
        cells, factor = [], "-"
        for label in labels:
            row = residuals[label]["rows"].get(key)
            cells.append("%+.2f (%+.2f)" % row[:2] if row else "-")
            if row and row[2] is not None:
                factor = "%.4f" % row[2]
        print("| %s %.1f | %s | %s |" % (key[0], key[1], " | ".join(cells), factor))
    print()


def number(text):
    try:
        return "%.4g" % float(text)
    except (TypeError, ValueError):
        return text or "-"


def round_trip(build, chn, work, data, standard, detector, source, label, curve, more=()):
    """The standard analysed like a sample with its own curve: activity and its
    uncertainty against the certificate's."""
    folder = os.path.join(work, "round-trip-%s-%s" % (standard, label))
    settings(folder, [("identify", "1"), ("efficiency_file", curve), ("reference_time", REFERENCE_TIME),
                      ("nuclides_of_interest", " ".join(sorted(certified(data, source)))),
                      ("background_spectrum", os.path.join(chn, BACKGROUND[detector] + ".chn"))] + list(more))
    analyse(build, chn, folder, [standard], detector)
    print("== round trip: %s analysed with its own curve (%s), at %s" % (standard, label, REFERENCE_TIME))
    print("  %-8s %10s %9s %7s %10s %8s %7s" % ("nuclide", "activity", "u", "u(%)", "certified", "u(%)", "ratio"))
    rows = {r["nuclide"]: r for r in table(os.path.join(folder, standard + ".res"), "[nuclides]")}
    for nuclide, value in sorted(certified(data, source).items()):
        r = rows.get(nuclide, {})
        cert_u = 100 * (0.048 if nuclide == "Cs-137" else 0.05) / 3  # the certificate's total / 3
        try:
            a, u = float(r.get("activity")), float(r.get("d_activity"))
        except (TypeError, ValueError):
            print("  %-8s %10s %9s %7s %10.0f %8.2f %7s   %s" % (nuclide, "-", "-", "-", value, cert_u, "-",
                                                           r.get("verdict", "not reported")))
            continue
        print("  %-8s %10.1f %9.1f %7.2f %10.0f %8.2f %7.3f" % (nuclide, a, u, 100 * u / a, value, cert_u, a / value))
    print()

if __name__ == "__main__":
    main()
