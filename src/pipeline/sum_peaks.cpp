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

bool at_energy(const nuclides::PeakForMatch& peak, double energy_kev) {
    const double off = std::fabs(peak.energy - energy_kev);
    return off < 2.0 * peak.d_energy || off < 0.5 * peak.fwhm_kev;
}

}  // namespace

std::string sum_peak_name(const std::string& nuclide) {
    return "sum:" + nuclide;
}

std::vector<std::string> claim_sum_peaks(std::span<const CascadePeaks> cascades,
                                         std::span<const nuclides::PeakForMatch> peaks,
                                         nuclides::Identification& identification) {
    std::vector<std::string> messages;
    auto& owners = identification.peak_nuclide;
    owners.resize(std::max(owners.size(), peaks.size()));
    for (const nuclides::NuclideOutcome& outcome : identification.nuclides) {
        if (!outcome.identified) continue;
        const auto cascade = std::find_if(cascades.begin(), cascades.end(),
                                          [&](const auto& c) { return c.nuclide == outcome.name; });
        if (cascade == cascades.end()) continue;
        const double decays = decays_seen(*cascade, outcome, peaks);
        if (!(decays > 0.0)) continue;
        for (const ExpectedPeak& sum : cascade->sums) {
            const double expected = decays * sum.counts_per_decay;
            for (std::size_t p = 0; p < peaks.size(); ++p) {
                const nuclides::PeakForMatch& peak = peaks[p];
                if (!owners[p].empty() || !at_energy(peak, sum.energy_kev)) continue;
                const double spread = std::hypot(peak.d_area, prediction_uncertainty * expected);
                if (std::fabs(peak.area - expected) > most_deviations * spread) continue;
                owners[p] = sum_peak_name(outcome.name);
                char text[200];
                std::snprintf(text, sizeof text,
                              "peak %zu at %.2f keV is a sum peak of %s (%s keV): %.0f counts, "
                              "%.0f expected",
                              p + 1, peak.energy, outcome.name.c_str(), sum.made_of.c_str(),
                              peak.area, expected);
                messages.emplace_back(text);
            }
        }
    }
    return messages;
}

}  // namespace sorvane
