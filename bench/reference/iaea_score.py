#!/usr/bin/env python3
"""Peak lists scored against a reference list the way the IAEA intercomparisons of
spectrum analysis software (1995, 2002) scored them.

The method (as the intercomparison's authors describe it; see
../shared/realdata/reference/README.md of the project's data folder):
- peaks below 100 keV and reference peaks flagged 0 are not compared;
- a reported peak matches a reference peak when the energies differ by less than
  2 sqrt(dE1^2 + dE2^2) or less than half the FWHM at that energy;
- F = reference time / test time, C = sqrt(F); a match scores
  z = (A - A_ref) / sqrt(dA^2 + dA_ref^2), a miss z = A_ref / (dA_ref sqrt(F + 1)),
  a false hit z = A / dA;
- a reference peak is "high" when A_ref / (C dA_ref) > 10; a smaller one lies on a
  high continuum when 3 net < gross, the continuum B under it taken from
  (C dA_ref)^2 = net + 2 B; the 511 keV line (|E - 511| < 3 keV) is scored apart;
- each group scores its mean z^2; the total (511 keV aside) pools matches, misses and
  false hits.
Beside z with the reported uncertainty, each match also gets
z_ref = (A - A_ref) / (C dA_ref), the deviation in units of the uncertainty that the
test spectrum itself should give.

Choices the description leaves open, taken here: a pair is matched one to one,
nearest energies first; a reported peak that matches a flag-0 reference peak, or one
below 100 keV, is neither a hit nor a false hit; a reference without dA_ref (the
Sanderson series' multiplier-derived areas) matches with z = (A - A_ref) / dA and its
misses carry no z.
"""
import math

LOWEST_COMPARED_KEV = 100.0
ANNIHILATION_KEV = 511.0
ANNIHILATION_REACH_KEV = 3.0
GROUPS = ("high", "small_high_continuum", "small_low_continuum", "annihilation")


def reference_group(ref, factor):
    """The group of one reference peak (dict with energy, area, d_area)."""
    if abs(ref["energy"] - ANNIHILATION_KEV) < ANNIHILATION_REACH_KEV:
        return "annihilation"
    expected = math.sqrt(factor) * (ref["d_area"] or 0.0)
    if expected <= 0.0:
        return "high"
    if ref["area"] / expected > 10.0:
        return "high"
    continuum = (expected * expected - ref["area"]) / 2.0
    gross = ref["area"] + continuum
    return "small_high_continuum" if 3.0 * ref["area"] < gross else "small_low_continuum"


def energies_match(ref, rep):
    de = abs(ref["energy"] - rep["energy"])
    spread = math.hypot(ref.get("d_energy") or 0.0, rep.get("d_energy") or 0.0)
    return de < 2.0 * spread or de < 0.5 * rep["fwhm_kev"]


def match(refs, reported):
    """One-to-one pairs (i_ref, i_rep), nearest energies first."""
    pairs = []
    for i, ref in enumerate(refs):
        for j, rep in enumerate(reported):
            if energies_match(ref, rep):
                pairs.append((abs(ref["energy"] - rep["energy"]), i, j))
    pairs.sort()
    used_ref, used_rep, out = set(), set(), []
    for _, i, j in pairs:
        if i in used_ref or j in used_rep:
            continue
        used_ref.add(i)
        used_rep.add(j)
        out.append((i, j))
    return out


def score(refs, reported, factor):
    """Scores a reported list against a reference list (time factor F).

    refs: dicts energy, d_energy, area, d_area (None when not known), flag;
    reported: dicts energy, d_energy, area, d_area, fwhm_kev.
    Returns a dict: per group {matches, chi2_reported, chi2_reference, misses,
    chi2_misses}, false_hits, chi2_false, total (pooled mean z^2), and the list
    of scored rows for a hand check."""
    c = math.sqrt(factor)
    pairs = match(refs, reported)
    by_ref = {i: j for i, j in pairs}
    matched_rep = {j for _, j in pairs}
    rows = []
    for i, ref in enumerate(refs):
        if ref["energy"] < LOWEST_COMPARED_KEV or ref["flag"] == 0:
            continue
        group = reference_group(ref, factor)
        d_ref = ref["d_area"] or 0.0
        if i in by_ref:
            rep = reported[by_ref[i]]
            diff = rep["area"] - ref["area"]
            z = diff / math.sqrt(rep["d_area"] ** 2 + d_ref**2)
            z_ref = diff / (c * d_ref) if d_ref > 0 else None
            rows.append({"kind": "match", "group": group, "ref": ref, "rep": rep, "z": z, "z_ref": z_ref})
        else:
            z = ref["area"] / (d_ref * math.sqrt(factor + 1.0)) if d_ref > 0 else None
            rows.append({"kind": "miss", "group": group, "ref": ref, "rep": None, "z": z, "z_ref": None})
    for j, rep in enumerate(reported):
        if j in matched_rep or rep["energy"] < LOWEST_COMPARED_KEV:
            continue
        group = "annihilation" if abs(rep["energy"] - ANNIHILATION_KEV) < ANNIHILATION_REACH_KEV else "false"
        z = rep["area"] / rep["d_area"] if rep["d_area"] > 0 else None
        rows.append({"kind": "false", "group": group, "ref": None, "rep": rep, "z": z, "z_ref": None})
    return summarise(rows)


def mean_square(values):
    values = [v for v in values if v is not None]
    return sum(v * v for v in values) / len(values) if values else None


def summarise(rows):
    out = {"rows": rows, "groups": {}}
    for group in GROUPS:
        matches = [r for r in rows if r["kind"] == "match" and r["group"] == group]
        misses = [r for r in rows if r["kind"] == "miss" and r["group"] == group]
        out["groups"][group] = {
            "matches": len(matches),
            "chi2_reported": mean_square(r["z"] for r in matches),
            "chi2_reference": mean_square(r["z_ref"] for r in matches),
            "misses": len(misses),
            "chi2_misses": mean_square(r["z"] for r in misses),
        }
    false_rows = [r for r in rows if r["kind"] == "false" and r["group"] == "false"]
    out["false_hits"] = len(false_rows)
    out["chi2_false"] = mean_square(r["z"] for r in false_rows)
    pooled = [r["z"] for r in rows if r["group"] != "annihilation"]
    out["total"] = mean_square(pooled)
    all_matches = [r for r in rows if r["kind"] == "match" and r["group"] != "annihilation"]
    out["matches"] = len(all_matches)
    out["chi2_reported"] = mean_square(r["z"] for r in all_matches)
    out["chi2_reference"] = mean_square(r["z_ref"] for r in all_matches)
    out["misses"] = sum(1 for r in rows if r["kind"] == "miss" and r["group"] != "annihilation")
    return out


def self_test():
    """Cases worked out by hand (SCORING.md shows the arithmetic); raises on a fault."""
    factor = 239.0
    refs = [
        # high: 7358.1 / (sqrt(239) 8.62) = 55.1 > 10
        {"energy": 351.9, "d_energy": 0.01, "area": 7358.1, "d_area": 8.62, "flag": 1},
        # small: C dA = 15.46 * 3.0 = 46.38; 161 / 46.38 = 3.47; B = (2151.1 - 161) / 2 = 995;
        # gross 1156 > 3 * 161 = 483: high continuum
        {"energy": 105.35, "d_energy": 0.03, "area": 161.0, "d_area": 3.0, "flag": 1},
        # small: C dA = 15.46 * 1.2 = 18.55; 150 / 18.55 = 8.09; B = (344.2 - 150) / 2 = 97.1;
        # gross 247 < 450: low continuum; missed: z = 150 / (1.2 sqrt(240)) = 8.07
        {"energy": 1120.3, "d_energy": 0.05, "area": 150.0, "d_area": 1.2, "flag": 1},
        # below 100 keV: not compared
        {"energy": 63.2, "d_energy": 0.01, "area": 825.7, "d_area": 4.0, "flag": 1},
        # flag 0: not compared; its reported partner is no false hit
        {"energy": 934.05, "d_energy": 0.02, "area": 248.0, "d_area": 2.0, "flag": 0},
    ]
    reported = [
        # 0.3 keV off, dE 0.05: 2 sqrt(0.01^2 + 0.05^2) = 0.10 < 0.3 but FWHM/2 = 0.85 > 0.3: match;
        # z = (7200 - 7358.1) / sqrt(90^2 + 8.62^2) = -158.1 / 90.41 = -1.749;
        # z_ref = -158.1 / (15.460 * 8.62) = -1.186
        {"energy": 352.2, "d_energy": 0.05, "area": 7200.0, "d_area": 90.0, "fwhm_kev": 1.7},
        # z = (200 - 161) / sqrt(50^2 + 3^2) = 39 / 50.09 = 0.7786; z_ref = 39 / 46.38 = 0.8409
        {"energy": 105.5, "d_energy": 0.2, "area": 200.0, "d_area": 50.0, "fwhm_kev": 1.5},
        {"energy": 63.3, "d_energy": 0.1, "area": 800.0, "d_area": 40.0, "fwhm_kev": 1.4},
        {"energy": 934.0, "d_energy": 0.1, "area": 250.0, "d_area": 30.0, "fwhm_kev": 1.8},
        # matches nothing: 2 sqrt(0.05^2 + 0.1^2) = 0.22 and FWHM/2 = 0.9 < 1.7 keV off;
        # false hit z = 120 / 30 = 4
        {"energy": 1122.0, "d_energy": 0.1, "area": 120.0, "d_area": 30.0, "fwhm_kev": 1.8},
    ]
    s = score(refs, reported, factor)
    expect = [
        (s["groups"]["high"]["matches"], 1),
        (s["groups"]["small_high_continuum"]["matches"], 1),
        (s["groups"]["small_low_continuum"]["misses"], 1),
        (s["false_hits"], 1),
        (s["matches"], 2),
        (s["misses"], 1),
    ]
    for got, want in expect:
        assert got == want, (got, want)
    close = [
        (s["groups"]["high"]["chi2_reported"], 1.749**2),
        (s["groups"]["high"]["chi2_reference"], 1.186**2),
        (s["groups"]["small_high_continuum"]["chi2_reported"], 0.7786**2),
        (s["groups"]["small_high_continuum"]["chi2_reference"], 0.8409**2),
        (s["groups"]["small_low_continuum"]["chi2_misses"], 8.07**2),
        (s["chi2_false"], 16.0),
        # pooled: (3.059 + 0.6062 + 65.12 + 16) / 4 = 21.20
        (s["total"], 21.20),
    ]
    for got, want in close:
        assert abs(got - want) <= 0.005 * abs(want) + 0.002, (got, want)


if __name__ == "__main__":
    self_test()
    print("iaea_score: self test passed")
