#include "activity/line_region.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/peak_shape.h"

namespace sorvane::activity {

RegionCounts region_counts(std::span<const double> counts, double channel, double fwhm, int first,
                           int last, std::span<const double> peaks, const RegionShape& shape) {
    RegionCounts out;
    if (!std::isfinite(channel) || !(fwhm > 0.0) || counts.empty()) return out;
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(counts.size()) - 1);
    const double half = shape.half_width_fwhm * fwhm;
    const int low = static_cast<int>(std::ceil(channel - half));
    const int high = static_cast<int>(std::floor(channel + half));
    if (low < first || high > last || high < low) return out;
    const int reach = std::max(1, static_cast<int>(std::ceil(shape.side_width_fwhm * fwhm)));
    // A side channel on another line's peak would lift the continuum: it is left out.
    auto on_other_peak = [&](int ch) {
        return std::any_of(peaks.begin(), peaks.end(), [&](double p) {
            return std::fabs(p - channel) > half && std::fabs(ch - p) < half;
        });
    };
    // Least squares of counts = a + b x, x = ch - channel, over the side channels.
    double n = 0.0, sx = 0.0, sxx = 0.0, sy = 0.0, sxy = 0.0;
    auto take = [&](int ch) {
        if (ch < first || ch > last || on_other_peak(ch)) return;
        const double x = ch - channel, y = counts[static_cast<std::size_t>(ch)];
        n += 1.0, sx += x, sxx += x * x, sy += y, sxy += x * y;
    };
    for (int ch = low - reach; ch < low; ++ch) take(ch);
    for (int ch = high + 1; ch <= high + reach; ++ch) take(ch);
    if (n < 2.0) return out;
    for (int ch = low; ch <= high; ++ch) out.gross += counts[static_cast<std::size_t>(ch)];
    const double window = high - low + 1;
    double window_x = 0.0;  // sum of x over the window
    for (int ch = low; ch <= high; ++ch) window_x += ch - channel;
    const double det = n * sxx - sx * sx;
    const bool two_sides = det > 1e-9 * n * sxx && sx * sx < 0.9 * n * sxx;
    if (two_sides) {
        const double a = (sxx * sy - sx * sxy) / det, b = (n * sxy - sx * sy) / det;
        out.background = window * a + window_x * b;
        // Poisson counts of about the mean level: cov(a, b) = level (X'X)^-1.
        const double level = std::max(sy / n, 1.0);
        const double var_a = level * sxx / det, var_b = level * n / det, cov_ab = -level * sx / det;
        out.d_background =
            std::sqrt(std::max(0.0, window * window * var_a + window_x * window_x * var_b +
                                        2.0 * window * window_x * cov_ab));
    } else {  // one side only: its level, held flat
        out.background = window * sy / n;
        out.d_background = window * std::sqrt(std::max(sy, 1.0)) / n;
    }
    out.side_channels = static_cast<int>(n);
    out.ok = true;
    return out;
}

RegionCounts region_counts_beside(std::span<const double> counts, double channel, double fwhm,
                                  int first, int last, std::span<const double> peaks,
                                  std::span<const NeighbourPeak> neighbours,
                                  const RegionShape& shape) {
    if (neighbours.empty() || !std::isfinite(channel) || !(fwhm > 0.0) || counts.empty())
        return region_counts(counts, channel, fwhm, first, last, peaks, shape);
    const double half = shape.half_width_fwhm * fwhm;
    const int low = static_cast<int>(std::ceil(channel - half));
    const int high = static_cast<int>(std::floor(channel + half));
    const int reach = std::max(1, static_cast<int>(std::ceil(shape.side_width_fwhm * fwhm)));
    const int from = std::max(low - reach, 0);
    const int to = std::min(high + reach, static_cast<int>(counts.size()) - 1);
    std::vector<double> cleaned(counts.begin(), counts.end());
    double inside = 0.0, inside_variance = 0.0;
    for (const NeighbourPeak& p : neighbours) {
        if (!(p.fwhm > 0.0)) continue;
        const analysis::PeakProfile profile(p.centroid, p.fwhm / analysis::fwhm_per_sigma, p.tail);
        double share = 0.0;  // of the peak's area inside the region
        for (int ch = from; ch <= to; ++ch) {
            const double fraction = profile.value(ch + 0.5) - profile.value(ch - 0.5);
            cleaned[static_cast<std::size_t>(ch)] -= p.area * fraction;
            if (ch >= low && ch <= high) share += fraction;
        }
        inside += share * p.area;
        inside_variance +=
            share * share *
            (p.d_area * p.d_area + std::pow(neighbour_shape_uncertainty * p.area, 2));
    }
    RegionCounts out = region_counts(cleaned, channel, fwhm, first, last, peaks, shape);
    if (!out.ok) return out;
    out.gross += inside;
    out.background += inside;
    out.d_background = std::sqrt(out.d_background * out.d_background + inside_variance);
    return out;
}

}  // namespace sorvane::activity
