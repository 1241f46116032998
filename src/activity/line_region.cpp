#include "activity/line_region.h"

#include <algorithm>
#include <cmath>

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

}  // namespace sorvane::activity
