#!/usr/bin/env python3
"""Synthetic cascade spectra through the whole runtime, with the summing correction.

sum_spectra writes, for Co-60, Ba-133, Eu-152, Y-88, Cs-134 and Na-22 at the invented
end-cap detector and at 0.3 of its efficiencies, a CHN spectrum of 2000 Bq counted
2000 s, the geometry's efficiency curve, the detector's peak-to-total curve and the
truth. Each geometry's spectra are analysed by the runtime (analyse_chn) with
identification, that curve and the summing correction; then, per spectrum:
- the true nuclide's activity against what the library gives for the cascade's photons
  (2000 Bq where the two agree; ratio and z with the reported u);
- other nuclides identified (false hits; the annihilation line and lead X-rays are
  no nuclides);
- every peak the runtime found at a true sum peak (a cluster of clean sum events
  within half a FWHM that holds more counts than any gamma line there): named as the
  nuclide's sum peak ("sum:NUCLIDE"), claimed by a nuclide (wrong), or unexplained.

Usage: run_sum_spectra.py BUILD_DIR NUCLIDE_DATA_DIR WORK_DIR [decays] [seed]
"""
import csv
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "efficiency"))
from run_iaea_efficiency import table  # noqa: E402  (the rows of a .res section)

FWHM_POINTS = ["305", "1.84", "3330", "3.86"]  # channels of 0.4 keV: FWHM^2 = 0.36 + 0.0015 E
SPECIAL = {"Annihilation-511", "Pb-Xray"}
REFERENCE = "2026-01-01 12:00:00"
ACTIVITY = 2000.0  # Bq, as sum_spectra writes them


def fwhm_kev(e):
    return math.sqrt(0.36 + 0.0015 * e)


def expected_activity(lines, nuclide, truth):
    """The activity the runtime should report with every count right: 2000 Bq times, for
    each of its lines (a doublet's members together), the cascade's photons per decay over
    the library's emission probability, averaged with the runtime's own 1/u^2 weights."""
    photons = {}
    for t in truth:
        if t["kind"] == "yield":
            photons[float(t["value"])] = photons.get(float(t["value"]), 0.0) + float(t["counts"])
    groups = []
    for r in lines:
        if r.get("nuclide") != nuclide or r.get("status") != "found":
            continue
        e, p = float(r["energy"]), float(r["probability"]) / 100.0
        near = sum(n for k, n in photons.items() if abs(k - e) < 0.5)
        try:
            groups.append([1.0 / float(r["d_activity"]) ** 2, near, p])
        except ValueError:  # a doublet's second member: its activity is the first's
            if groups:
                groups[-1][1] += near
                groups[-1][2] += p
    weight = sum(w for w, _, p in groups if p > 0)
    if weight <= 0:
        return ACTIVITY
    return ACTIVITY * sum(w * n / p for w, n, p in groups if p > 0) / weight


def main():
    build, data, work = sys.argv[1:4]
    more = sys.argv[4:6]
    work = os.path.abspath(work)
    os.makedirs(work, exist_ok=True)
    subprocess.run([os.path.join(build, "bench", "summing", "sum_spectra"),
                    os.path.join(data, "cascades.csv"), work] + more, check=True)
    truth = list(csv.DictReader(open(os.path.join(work, "truth.csv"))))
    print("| geometry | nuclide | expected / 2000 Bq | activity / expected | z | false hits | sum peaks found | named | "
          "claimed by a nuclide | unexplained |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    totals = {"found": 0, "named": 0, "claimed": 0, "z2": 0.0, "n": 0, "false": 0}
    for geometry in ("endcap", "far"):
        folder = os.path.join(work, geometry)
        out = os.path.join(folder, "results")
        os.makedirs(out, exist_ok=True)
        with open(os.path.join(out, "sorvane.inf.nuclides"), "w", newline="") as f:
            f.write("[nuclides]\r\n")
            for k, v in (("identify", "1"), ("efficiency_file", os.path.join(folder, "model.eff")),
                         ("reference_time", REFERENCE), ("summing_correction", "1"),
                         ("peak_to_total_file", os.path.join(folder, "model_pt.txt"))):
                f.write("%s = %s\r\n" % (k, v))
        names = sorted({t["spectrum"] for t in truth if t["geometry"] == geometry})
        subprocess.run([os.path.join(build, "bench", "runtime", "analyse_chn"), "--fwhm"] +
                       FWHM_POINTS + [folder, out] + names, stdout=subprocess.DEVNULL, check=True)
        for name in names:
            mine = [t for t in truth if t["geometry"] == geometry and t["spectrum"] == name]
            nuclide = mine[0]["nuclide"]
            res = os.path.join(out, name + ".res")
            nuclides = table(res, "[nuclides]")
            peaks = table(res, "[peaks]")
            row = next((r for r in nuclides if r.get("nuclide") == nuclide), {})
            false = [r["nuclide"] for r in nuclides
                     if r.get("identified") == "yes" and r["nuclide"] != nuclide and r["nuclide"] not in SPECIAL]
            expected = expected_activity(table(res, "[nuclide lines]"), nuclide, mine)
            try:
                a, da = float(row["activity"]), float(row["d_activity"])
                ratio, z = a / expected, (a - expected) / da
                totals["z2"] += z * z
                totals["n"] += 1
            except (KeyError, ValueError):
                ratio, z = float("nan"), float("nan")
            found = named = claimed = unexplained = 0
            for p in peaks:
                e = float(p["energy"])
                half = 0.5 * fwhm_kev(e)
                near = [t for t in mine if t["kind"] in ("line", "sum") and abs(float(t["value"]) - e) < half]
                if not near:
                    continue
                strongest = max(near, key=lambda t: float(t["counts"]))
                if strongest["kind"] != "sum":
                    continue
                found += 1
                owner = p.get("nuclide", "-")
                if owner == "sum:" + nuclide:
                    named += 1
                elif owner not in ("-", "", "background"):
                    claimed += 1
                    print("   %s %s: sum peak at %.2f keV claimed by %s" % (geometry, name, e, owner),
                          file=sys.stderr)
                else:
                    unexplained += 1
                    print("   %s %s: sum peak at %.2f keV (%s counts, truth %s at %s keV) unexplained" % (
                        geometry, name, e, p.get("area"), strongest["counts"], strongest["value"]),
                          file=sys.stderr)
            totals["found"] += found
            totals["named"] += named
            totals["claimed"] += claimed
            totals["false"] += len(false)
            print("| %s | %s | %.4f | %.4f | %+.2f | %s | %d | %d | %d | %d |" % (
                geometry, nuclide, expected / ACTIVITY, ratio, z, ", ".join(false) or "-", found, named, claimed, unexplained))
    print("\nactivities: mean z^2 %.2f over %d; sum peaks found %d, named %d (%.1f %%), claimed by a "
          "nuclide %d; false hits %d" % (
              totals["z2"] / max(totals["n"], 1), totals["n"], totals["found"], totals["named"],
              100.0 * totals["named"] / max(totals["found"], 1), totals["claimed"], totals["false"]))


if __name__ == "__main__":
    main()
