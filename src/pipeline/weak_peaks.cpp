#include "pipeline/weak_peaks.h"

#include <algorithm>

#include "analysis/regions.h"

namespace sorvane {
namespace {

using namespace analysis;

constexpr double lowest_search_floor = 3.0;

// Below this a whole spectrum's search finds chance peaks in most spectra, whatever
// the sensitivity asked for.
constexpr double least_weak_significance = 4.0;

// Weak candidates stay this many FWHM clear of the regions already fitted.
constexpr double clearance_fwhm = 1.0;

bool clear_of_regions(double channel, double clearance, const std::vector<RegionResult>& regions) {
    return std::none_of(regions.begin(), regions.end(), [&](const RegionResult& r) {
        return channel > r.first - clearance && channel < r.last + clearance;
    });
}

}  // namespace

double weak_line_significance(double sensitivity) {
    return std::min(sensitivity, std::max(least_weak_significance, 0.5 * sensitivity + 1.0));
}

double weak_search_floor(double sensitivity) {
    return std::min(sensitivity, std::max(lowest_search_floor, 0.5 * sensitivity));
}

std::vector<RegionResult> fit_weak_candidates(std::span<const double> counts,
                                              const std::vector<double>& candidates,
                                              RegionSettings settings, bool tails,
                                              const SpectrumAnalysis& out) {
    std::vector<RegionResult> fitted;
    std::vector<PeakStart> weak;
    for (double channel : candidates)
        if (clear_of_regions(channel, clearance_fwhm * out.width.fwhm(channel), out.regions))
            weak.push_back({channel, false});
    if (weak.empty()) return fitted;
    // A weak line is fitted as it stands: no hidden members, no pairs.
    settings.search_residuals = false;
    settings.split_pairs = false;
    for (Region region : group_regions(weak, out.width, out.first, out.last, tails)) {
        // The region ends where a fitted one begins.
        for (const RegionResult& r : out.regions) {
            if (r.last < region.peaks.front().channel)
                region.first = std::max(region.first, r.last + 1);
            if (r.first > region.peaks.back().channel)
                region.last = std::min(region.last, r.first - 1);
        }
        fitted.push_back(fit_region(counts, region, settings));
    }
    return fitted;
}

}  // namespace sorvane
