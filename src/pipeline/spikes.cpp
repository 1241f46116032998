#include "pipeline/spikes.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace sorvane {
namespace {

// How far a spike's counts reach, in its own fitted widths (at least a few channels),
// and further while the counts beside it still fall, up to the longest reach.
constexpr double spike_reach = 3.0;
constexpr double least_spike_reach = 3.0;
constexpr double longest_spike_reach = 10.0;

struct Span {
    int low = 0, high = 0;
};

double mean_of_three(std::span<const double> counts, int channel) {
    double sum = 0.0;
    for (int c = channel - 1; c <= channel + 1; ++c)
        sum +=
            counts[static_cast<std::size_t>(std::clamp(c, 0, static_cast<int>(counts.size()) - 1))];
    return sum / 3.0;
}

// From `start` outwards by `step` while the smoothed counts fall, up to `limit`.
int where_falling_ends(std::span<const double> counts, int start, int step, int limit) {
    int at = start;
    while (at != limit && mean_of_three(counts, at + step) < mean_of_three(counts, at)) at += step;
    return at;
}

}  // namespace

std::optional<SpikeSplit> split_at_spike(std::span<const double> counts,
                                         const analysis::RegionResult& fit,
                                         const analysis::Region& region,
                                         const analysis::WidthCalibration& width, bool tails) {
    // The region's peaks share one fitted width: the spike is the strongest of them,
    // the others narrow only by its width.
    const analysis::FittedPeak* spike = nullptr;
    for (const auto& peak : fit.peaks)
        if (!peak.manual && peak.fwhm < narrowest_line * width.fwhm(peak.centroid) &&
            (!spike || peak.area > spike->area))
            spike = &peak;
    if (!spike) return std::nullopt;
    const double reach = std::max(spike_reach * spike->fwhm, least_spike_reach);
    const double longest = std::max(longest_spike_reach * spike->fwhm, reach);
    const int last = static_cast<int>(counts.size()) - 1;
    const int low_limit = std::max(0, static_cast<int>(std::floor(spike->centroid - longest)));
    const int high_limit = std::min(last, static_cast<int>(std::ceil(spike->centroid + longest)));
    const int low =
        std::clamp(static_cast<int>(std::floor(spike->centroid - reach)), low_limit, high_limit);
    const int high =
        std::clamp(static_cast<int>(std::ceil(spike->centroid + reach)), low_limit, high_limit);
    const Span span{where_falling_ends(counts, low, -1, low_limit),
                    where_falling_ends(counts, high, 1, high_limit)};
    // A peak the user placed there is fitted as asked.
    if (std::any_of(region.peaks.begin(), region.peaks.end(), [&](const analysis::PeakStart& p) {
            return p.manual && p.channel >= span.low && p.channel <= span.high;
        }))
        return std::nullopt;
    // The channels either side of the spike, each grouped as the search's peaks are.
    SpikeSplit out{spike->centroid, {}};
    const auto group_between = [&](int from, int to) {
        std::vector<analysis::PeakStart> here;
        for (const auto& start : region.peaks)
            if (start.channel >= from && start.channel <= to) here.push_back(start);
        if (to > from && !here.empty())
            for (auto& r : analysis::group_regions(here, width, from, to, tails))
                out.parts.push_back(std::move(r));
    };
    group_between(region.first, span.low - 1);
    group_between(span.high + 1, region.last);
    if (out.parts.empty()) return std::nullopt;
    return out;
}

}  // namespace sorvane
