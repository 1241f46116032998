#include "pipeline/sum_peaks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorvane {
namespace {

// A cascade's line is the library's line within this.
constexpr double same_line_kev = 0.5;
// The prediction's relative uncertainty beside the counts'.
constexpr double prediction_uncertainty = 0.25;
constexpr double most_deviations = 3.0;
// Sums closer than this many FWHM to a peak fall in it.
constexpr double unresolved_fwhm = 1.0;
// A peak at a cascade's K X-rays is theirs when they predict at least this share of
// it: the curve is carried below its lowest point there, by a window it cannot see.
constexpr double xray_share = 1.0 / 3.0;

const ExpectedPeak* line_near(const CascadePeaks& cascade, double energy_kev) {
    const ExpectedPeak* best = nullptr;
    for (const ExpectedPeak& line : cascade.lines)
        if (std::fabs(line.energy_kev - energy_kev) < same_line_kev &&
            (!best ||
             std::fabs(line.energy_kev - energy_kev) < std::fabs(best->energy_kev - energy_kev)))
            best = &line;
    return best;
}

// The nuclide's decays as its found lines count them: the sum of their areas over the
// sum of their counts per decay (0 when no found line is in the cascade).
double decays_seen(const CascadePeaks& cascade, const nuclides::NuclideOutcome& outcome,
                   std::span<const nuclides::PeakForMatch> peaks) {
    double area = 0.0, per_decay = 0.0;
    for (const nuclides::LineOutcome& line : outcome.lines) {
        if (line.peak < 0 || static_cast<std::size_t>(line.peak) >= peaks.size() || !line.line)
            continue;
        const ExpectedPeak* expected = line_near(cascade, line.line->energy);
        if (!expected || !(expected->counts_per_decay > 0.0)) continue;
        area += peaks[static_cast<std::size_t>(line.peak)].area;
        per_decay += expected->counts_per_decay;
    }
    return per_decay > 0.0 && area > 0.0 ? area / per_decay : 0.0;
}

// The peak nearest an energy: a sum between two fitted peaks goes to one of them.
std::size_t nearest_peak(std::span<const nuclides::PeakForMatch> peaks, double energy_kev) {
    std::size_t best = 0;
    for (std::size_t p = 1; p < peaks.size(); ++p)
        if (std::fabs(peaks[p].energy - energy_kev) < std::fabs(peaks[best].energy - energy_kev))
            best = p;
    return best;
}

bool at_energy(const nuclides::PeakForMatch& peak, double energy_kev) {
    const double off = std::fabs(peak.energy - energy_kev);
    return off < 2.0 * peak.d_energy || off < 0.5 * peak.fwhm_kev;
}

// The identified nuclide, not `cascade_nuclide`, that owns `peak`: it gives the peak up
// when all its found peaks are sum peaks of the cascade.
nuclides::NuclideOutcome* owner_of(nuclides::Identification& identification, int peak,
                                   const std::string& cascade_nuclide) {
    const std::string& owner = identification.peak_nuclide[static_cast<std::size_t>(peak)];
    for (nuclides::NuclideOutcome& n : identification.nuclides)
        if (n.identified && n.name == owner && n.name != cascade_nuclide &&
            n.name != nuclides::annihilation_name)
            return &n;
    return nullptr;
}

// The nuclide loses its lines to the sum peaks: they are missing, their peaks free for
// the sums, and the nuclide, with nothing found, is not identified.
void give_up_lines(nuclides::NuclideOutcome& n, std::vector<std::string>& owners) {
    for (nuclides::LineOutcome& l : n.lines)
        if (l.peak >= 0) {
            owners[static_cast<std::size_t>(l.peak)].clear();
            l.peak = -1;
            l.status = nuclides::LineStatus::missing;
        }
    n.peaks.clear();
    n.identified = false;
    n.found = 0;
    n.score = 0.0;
}

// Whether the cascade's K X-rays within a FWHM of the peak, nearer to it than to
// another, can hold its area.
bool xray_peak(const CascadePeaks& cascade, std::span<const nuclides::PeakForMatch> peaks,
               std::size_t p, double decays) {
    const nuclides::PeakForMatch& peak = peaks[p];
    double expected = 0.0;
    for (const ExpectedPeak& xray : cascade.xrays)
        if (std::fabs(xray.energy_kev - peak.energy) < unresolved_fwhm * peak.fwhm_kev &&
            nearest_peak(peaks, xray.energy_kev) == p)
            expected += decays * xray.counts_per_decay;
    return expected > 0.0 && expected >= xray_share * (peak.area - most_deviations * peak.d_area);
}

}  // namespace

std::string sum_peak_name(const std::string& nuclide) {
    return "sum:" + nuclide;
}

SumPeakClaims claim_sum_peaks(std::span<const CascadePeaks> cascades,
                              std::span<const nuclides::PeakForMatch> peaks,
                              nuclides::Identification& identification) {
    SumPeakClaims claims;
    auto& owners = identification.peak_nuclide;
    owners.resize(std::max(owners.size(), peaks.size()));
    for (const nuclides::NuclideOutcome& outcome : identification.nuclides) {
        if (!outcome.identified) continue;
        const auto cascade = std::find_if(cascades.begin(), cascades.end(),
                                          [&](const auto& c) { return c.nuclide == outcome.name; });
        if (cascade == cascades.end()) continue;
        const double decays = decays_seen(*cascade, outcome, peaks);
        if (!(decays > 0.0)) continue;
        const std::string& name = outcome.name;
        // The peaks at the cascade's sums, and whether their areas agree with the sums'
        // counts.
        struct AtSum {
            std::size_t peak;
            double expected;
            std::string made_of;
            bool agrees = false;  // its area agrees with the sums' counts
        };
        std::vector<AtSum> at_sums;
        for (std::size_t p = 0; p < peaks.size(); ++p) {
            const nuclides::PeakForMatch& peak = peaks[p];
            // A peak at a sum's energy holds every sum within a FWHM of it that is
            // nearer to it than to any other peak (K alpha1 and alpha2 X-rays with one
            // gamma, which it cannot resolve): their counts add.
            const bool at_a_sum =
                std::any_of(cascade->sums.begin(), cascade->sums.end(),
                            [&](const auto& sum) { return at_energy(peak, sum.energy_kev); });
            if (!at_a_sum) continue;
            AtSum here{p, 0.0, {}, false};
            for (const ExpectedPeak& sum : cascade->sums) {
                if (std::fabs(sum.energy_kev - peak.energy) >= unresolved_fwhm * peak.fwhm_kev ||
                    nearest_peak(peaks, sum.energy_kev) != p)
                    continue;
                here.expected += decays * sum.counts_per_decay;
                if (here.made_of.find(sum.made_of) == std::string::npos)
                    here.made_of += (here.made_of.empty() ? "" : " and ") + sum.made_of;
            }
            const double spread = std::hypot(peak.d_area, prediction_uncertainty * here.expected);
            here.agrees = std::fabs(peak.area - here.expected) <= most_deviations * spread;
            at_sums.push_back(std::move(here));
        }
        // Two peaks within a FWHM that the fit made of one lump of sums are judged
        // together: which of them a sum lies nearer to is then chance.
        for (std::size_t i = 0; i + 1 < at_sums.size(); ++i) {
            AtSum& left = at_sums[i];
            AtSum& right = at_sums[i + 1];
            const auto& a = peaks[left.peak];
            const auto& b = peaks[right.peak];
            if ((left.agrees && right.agrees) || right.peak != left.peak + 1 ||
                b.energy - a.energy >= unresolved_fwhm * std::max(a.fwhm_kev, b.fwhm_kev))
                continue;
            const double expected = left.expected + right.expected;
            const double spread =
                std::hypot(std::hypot(a.d_area, b.d_area), prediction_uncertainty * expected);
            if (std::fabs(a.area + b.area - expected) <= most_deviations * spread)
                left.agrees = right.agrees = true;
        }
        std::erase_if(at_sums, [](const AtSum& a) { return !a.agrees; });
        const auto is_sum = [&](int p) {
            return std::any_of(at_sums.begin(), at_sums.end(), [&](const AtSum& a) {
                return a.peak == static_cast<std::size_t>(p);
            });
        };
        const auto is_xray = [&](int p) {
            return xray_peak(*cascade, peaks, static_cast<std::size_t>(p), decays);
        };
        const auto explained = [&](int p) { return is_sum(p) || is_xray(p); };
        for (const AtSum& at : at_sums) {
            const std::size_t p = at.peak;
            const nuclides::PeakForMatch& peak = peaks[p];
            // Another nuclide's peak goes to the sum only with all its found peaks, and
            // that nuclide, seen only at the cascade's sum peaks (and K X-ray peaks),
            // is not identified.
            nuclides::NuclideOutcome* other =
                owners[p].empty() ? nullptr : owner_of(identification, static_cast<int>(p), name);
            if (!owners[p].empty() &&
                (!other || !std::all_of(other->peaks.begin(), other->peaks.end(), explained)))
                continue;
            char text[160];
            std::snprintf(text, sizeof text, " keV): %.0f counts, %.0f expected", peak.area,
                          at.expected);
            char where[64];
            std::snprintf(where, sizeof where, "peak %zu at %.2f keV", p + 1, peak.energy);
            std::string message =
                std::string(where) + " is a sum peak of " + name + " (" + at.made_of + text;
            if (other) {
                const bool xrays = std::any_of(other->peaks.begin(), other->peaks.end(),
                                               [&](int q) { return !is_sum(q); });
                message += "; " + other->name +
                           (xrays                     ? ", seen only at its sum peaks and K X-rays"
                            : other->peaks.size() > 1 ? ", seen only at its sum peaks"
                                                      : ", seen only there") +
                           ", is not identified";
                give_up_lines(*other, owners);
            }
            owners[p] = sum_peak_name(name);
            claims.peaks.push_back(
                {static_cast<int>(p), at.expected, prediction_uncertainty * at.expected});
            claims.messages.push_back(std::move(message));
        }
    }
    return claims;
}

}  // namespace sorvane
