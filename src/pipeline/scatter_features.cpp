#include "pipeline/scatter_features.h"

#include <algorithm>

#include "pipeline/analyse_spectrum.h"

namespace sorvane {
namespace {

constexpr double electron_rest_kev = 510.999;  // m c^2 (CODATA 2018)
// A feature at most this part of its line's area.
constexpr double feature_ratio = 0.01;
// A line of its own fits its region well; an edge or bump does not fit a peak's shape.
constexpr double poor_fit = 3.0;
// How far the features reach, as fractions of the feature's energy: an edge is
// smeared mostly below its energy by multiple scattering, the backscatter bump is broad.
constexpr double edge_below = 0.06, edge_above = 0.015;
constexpr double bump_below = 0.2, bump_above = 0.25;

bool within(double energy, double feature, double below, double above) {
    return energy >= feature * (1.0 - below) && energy <= feature * (1.0 + above);
}

bool scatter_feature(const ReportedPeak& peak, std::span<const ReportedPeak> peaks) {
    if (peak.fit.manual || peak.fit.reduced_deviance <= poor_fit) return false;
    for (const auto& line : peaks) {
        if (&line == &peak || peak.fit.area > feature_ratio * line.fit.area) continue;
        if (within(peak.energy, compton_edge(line.energy), edge_below, edge_above) ||
            within(peak.energy, backscatter_peak(line.energy), bump_below, bump_above))
            return true;
    }
    return false;
}

}  // namespace

double backscatter_peak(double energy) {
    return energy / (1.0 + 2.0 * energy / electron_rest_kev);
}

double compton_edge(double energy) {
    return energy - backscatter_peak(energy);
}

std::size_t drop_scatter_features(std::vector<ReportedPeak>& peaks) {
    std::vector<bool> feature(peaks.size());
    for (std::size_t i = 0; i < peaks.size(); ++i) feature[i] = scatter_feature(peaks[i], peaks);
    std::vector<ReportedPeak> lines;
    for (std::size_t i = 0; i < peaks.size(); ++i)
        if (!feature[i]) lines.push_back(std::move(peaks[i]));
    const std::size_t dropped = peaks.size() - lines.size();
    peaks = std::move(lines);
    return dropped;
}

}  // namespace sorvane
