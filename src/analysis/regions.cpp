#include "analysis/regions.h"

#include <algorithm>
#include <cmath>

namespace sorvane::analysis {

std::vector<Region> group_regions(std::vector<PeakStart> peaks, const WidthCalibration& width,
                                  int first, int last, bool tails) {
    std::sort(peaks.begin(), peaks.end(),
              [](const PeakStart& a, const PeakStart& b) { return a.channel < b.channel; });
    std::vector<Region> regions;
    for (const auto& peak : peaks) {
        if (peak.channel < first || peak.channel > last) continue;
        if (!regions.empty()) {
            const double previous = regions.back().peaks.back().channel;
            if (peak.channel - previous < 4.0 * width.fwhm(peak.channel)) {
                regions.back().peaks.push_back(peak);
                continue;
            }
        }
        regions.push_back({0, 0, {peak}});
    }
    // A long chain of close peaks is cut at its widest gaps, so no fit grows beyond
    // a few dozen parameters.
    constexpr std::size_t most_peaks = 12;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        auto& chain = regions[r].peaks;
        if (chain.size() <= most_peaks) continue;
        std::size_t cut = 1;
        for (std::size_t j = 2; j + 1 < chain.size(); ++j)
            if (chain[j].channel - chain[j - 1].channel >
                chain[cut].channel - chain[cut - 1].channel)
                cut = j;
        Region tail{0, 0,
                    std::vector<PeakStart>(chain.begin() + static_cast<long>(cut), chain.end())};
        chain.erase(chain.begin() + static_cast<long>(cut), chain.end());
        regions.insert(regions.begin() + static_cast<long>(r) + 1, std::move(tail));
        --r;  // look at the shortened one again
    }
    for (std::size_t r = 0; r < regions.size(); ++r) {
        auto& region = regions[r];
        const double low = region.peaks.front().channel;
        const double high = region.peaks.back().channel;
        double left = low - (tails ? 4.0 : 3.0) * width.fwhm(low);
        double right = high + 3.0 * width.fwhm(high);
        if (r > 0) {
            const double neighbour = regions[r - 1].peaks.back().channel;
            left = std::max(left, neighbour + 2.0 * width.fwhm(neighbour));
        }
        if (r + 1 < regions.size()) {
            const double neighbour = regions[r + 1].peaks.front().channel;
            right = std::min(right, neighbour - 2.0 * width.fwhm(neighbour));
        }
        region.first = std::max(first, static_cast<int>(std::floor(std::min(left, low - 1.0))));
        region.last = std::min(last, static_cast<int>(std::ceil(std::max(right, high + 1.0))));
    }
    return regions;
}

}  // namespace sorvane::analysis
