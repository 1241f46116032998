// What the activity step is given: the efficiency curve loaded, the energy scale's
// check and the candidates that identification's outcome makes.
#include <algorithm>
#include <map>
#include <set>

#include "activity/efficiency_storage.h"
#include "pipeline/activity_step.h"
#include "pipeline/chain_support.h"

namespace sorvane {
namespace {

// Whether a nuclide shows a found line on another peak than this one: only then is
// its line in this peak more than a coincidence of energies.
bool has_other_evidence(const NuclideFindings& findings, const std::string& nuclide, int peak) {
    for (const nuclides::NuclideOutcome& n : findings.identification.nuclides) {
        if (n.name != nuclide) continue;
        for (const nuclides::LineOutcome& l : n.lines)
            if (l.peak >= 0 && l.peak != peak && l.status == nuclides::LineStatus::found)
                return true;
    }
    return false;
}

}  // namespace

ActivitySpectrum::ScaleCheck scale_check(const nuclides::Recalibration& recalibration) {
    ActivitySpectrum::ScaleCheck check;
    if (!recalibration.done || recalibration.residuals.empty()) return check;
    check.lines = static_cast<int>(recalibration.residuals.size());
    check.low_kev = check.high_kev = recalibration.residuals.front().library_energy;
    for (const nuclides::RecalibrationResidual& r : recalibration.residuals) {
        check.low_kev = std::min(check.low_kev, r.library_energy);
        check.high_kev = std::max(check.high_kev, r.library_energy);
    }
    check.residual_rms_kev = recalibration.residual_rms_kev;
    return check;
}

LoadedCurve load_activity_curve(const FileSystem& fs, const std::string& system_dir,
                                const NuclideSettings& settings) {
    LoadedCurve out;
    if (settings.efficiency_file.empty()) return out;
    out.path = settings.efficiency_file;
    out.path = path_from_folder(system_dir, out.path, fs.separator());
    activity::LoadedEfficiency loaded = activity::load_efficiency_file(fs, out.path);
    out.curve = std::move(loaded.curve);
    out.problems = std::move(loaded.problems);
    return out;
}

std::function<double(double)> relative_efficiency(const LoadedCurve& loaded) {
    if (!loaded.curve) return {};
    return [curve = *loaded.curve](double energy) {
        const double held = std::clamp(energy, curve.energy_min_kev, curve.energy_max_kev);
        return activity::evaluate_efficiency(curve, held).efficiency;
    };
}

std::pair<double, double> efficiency_range(const LoadedCurve& loaded) {
    if (!loaded.curve) return {0.0, 0.0};
    return {loaded.curve->energy_min_kev, loaded.curve->energy_max_kev};
}

std::vector<ActivityCandidate> activity_candidates(const NuclideRun& run,
                                                   const NuclideFindings& findings) {
    std::vector<ActivityCandidate> out;
    auto facts_of = [&run](ActivityCandidate& candidate) {
        const nuclides::NuclideFacts* facts = run.library.facts(candidate.nuclide);
        if (!facts || !(facts->half_life > 0.0)) return;
        candidate.half_life_s = facts->half_life_seconds();
        candidate.d_half_life_s = facts->d_half_life * candidate.half_life_s / facts->half_life;
        const auto parent = supporting_parent(candidate.nuclide);
        if (!parent || !run.settings.chains_in_equilibrium) return;
        nuclides::NuclideFacts supporting;
        supporting.name = parent->name;
        supporting.half_life = parent->half_life_years;
        supporting.half_life_unit = "y";
        supporting.d_half_life = parent->d_half_life_years;
        if (const nuclides::NuclideFacts* listed = run.library.facts(supporting.name))
            supporting = *listed;
        const double seconds = supporting.half_life_seconds();
        if (!(seconds > 0.0)) return;
        candidate.parent = {supporting.name, seconds,
                            supporting.d_half_life * seconds / supporting.half_life};
    };
    // A peak that lines of two identified nuclides fall in holds counts of both: it
    // gives neither an activity (no interference correction is made).
    std::map<int, int> claims;
    for (const nuclides::NuclideOutcome& n : findings.identification.nuclides) {
        if (!n.identified || n.name == nuclides::annihilation_name) continue;
        std::set<int> peaks;
        for (const nuclides::LineOutcome& l : n.lines)
            if (l.peak >= 0) peaks.insert(l.peak);
        for (int p : peaks) ++claims[p];
    }
    // The peaks each identified nuclide's lines claim (annihilation's too): the
    // other nuclides' ones are background to a candidate's lines.
    std::map<std::string, std::set<int>> claimed_by;
    for (const nuclides::NuclideOutcome& n : findings.identification.nuclides) {
        if (!n.identified) continue;
        for (const nuclides::LineOutcome& l : n.lines)
            if (l.peak >= 0) claimed_by[n.name].insert(l.peak);
    }
    // A cascade's sum peaks too.
    const auto& owners = findings.identification.peak_nuclide;
    for (std::size_t p = 0; p < owners.size(); ++p)
        if (owners[p].rfind(sum_peak_name(""), 0) == 0)
            claimed_by[owners[p]].insert(static_cast<int>(p));
    auto others_of = [&claimed_by](ActivityCandidate& candidate) {
        std::set<int> peaks;
        for (const auto& [name, claimed] : claimed_by)
            if (name != candidate.nuclide) peaks.insert(claimed.begin(), claimed.end());
        candidate.others_peaks.assign(peaks.begin(), peaks.end());
    };
    for (const nuclides::NuclideOutcome& n : findings.identification.nuclides) {
        if (n.name == nuclides::annihilation_name) continue;
        const bool special = run.library.special(n.name);
        if (special && !n.identified) continue;
        ActivityCandidate candidate{n.name, n.identified, 0.0, 0.0, {}, {}, {}, special};
        others_of(candidate);
        facts_of(candidate);
        std::set<int> interfered;
        for (const auto& [peak, other] : n.interferences)
            if (has_other_evidence(findings, other, peak)) interfered.insert(peak);
        for (const nuclides::LineOutcome& l : n.lines)
            if (l.line)
                candidate.lines.push_back({l.line->energy, l.line->probability / 100.0,
                                           l.line->d_probability / 100.0, l.peak,
                                           l.status == nuclides::LineStatus::shared ||
                                               (l.peak >= 0 && claims[l.peak] > 1),
                                           l.peak >= 0 && interfered.count(l.peak) > 0});
        out.push_back(std::move(candidate));
    }
    for (const std::string& name : run.settings.always_report) {
        const bool listed = std::any_of(
            out.begin(), out.end(), [&](const ActivityCandidate& c) { return c.nuclide == name; });
        if (listed || run.library.lines_of(name).empty()) continue;
        ActivityCandidate candidate{name, false, 0.0, 0.0, {}, {}, {}};
        facts_of(candidate);
        others_of(candidate);
        for (const nuclides::GammaLine* line : run.library.lines_of(name))
            candidate.lines.push_back({line->energy, line->probability / 100.0,
                                       line->d_probability / 100.0, -1, false, false});
        out.push_back(std::move(candidate));
    }
    return out;
}

}  // namespace sorvane
