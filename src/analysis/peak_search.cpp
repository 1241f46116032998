#include "analysis/peak_search.h"

#include <algorithm>
#include <cmath>

#include "analysis/peak_shape.h"
#include "analysis/smoothing.h"

namespace sorvane::analysis {
namespace {

// A Gaussian of width sigma less its mean over +-2 FWHM (zero area, so a straight
// continuum gives nothing; close to the best linear test for a peak on it),
// convolved with the smoothing weights.
std::vector<double> make_kernel(double sigma, const std::vector<double>& smoothing) {
    const int half = std::max(2, static_cast<int>(std::ceil(2.0 * fwhm_per_sigma * sigma)));
    std::vector<double> hat(static_cast<std::size_t>(2 * half + 1));
    double mean = 0.0;
    for (int m = -half; m <= half; ++m) {
        const double r = m / sigma;
        hat[static_cast<std::size_t>(m + half)] = std::exp(-0.5 * r * r);
        mean += hat[static_cast<std::size_t>(m + half)];
    }
    mean /= static_cast<double>(hat.size());
    for (auto& h : hat) h -= mean;
    std::vector<double> kernel(hat.size() + smoothing.size() - 1, 0.0);
    for (std::size_t a = 0; a < hat.size(); ++a)
        for (std::size_t b = 0; b < smoothing.size(); ++b) kernel[a + b] += hat[a] * smoothing[b];
    return kernel;
}

}  // namespace

SecondDifferenceFilter::SecondDifferenceFilter(const WidthCalibration& width, int smoothing_points)
    : width_(width), smoothing_(savitzky_golay_weights(smoothing_points)) {}

const std::vector<double>& SecondDifferenceFilter::kernel(int channel) const {
    const double sigma = width_.fwhm(channel) / fwhm_per_sigma;
    const std::size_t key = static_cast<std::size_t>(std::lround(std::min(sigma, 200.0) * 10.0));
    if (kernels_.size() <= key) kernels_.resize(key + 1);
    if (kernels_[key].empty()) kernels_[key] = make_kernel(std::max(0.1 * key, 0.3), smoothing_);
    return kernels_[key];
}

int SecondDifferenceFilter::reach(int channel) const {
    return static_cast<int>(kernel(channel).size() / 2);
}

FilterValue SecondDifferenceFilter::at(std::span<const double> values,
                                       std::span<const double> variances, int channel,
                                       int origin) const {
    const auto& k = kernel(channel);
    const int half = static_cast<int>(k.size() / 2);
    const int n = static_cast<int>(values.size());
    FilterValue out;
    double variance = 0.0;
    for (int m = -half; m <= half; ++m) {
        const int j = channel + m - origin;
        if (j < 0 || j >= n) continue;
        const double w = k[static_cast<std::size_t>(m + half)];
        out.value += w * values[static_cast<std::size_t>(j)];
        variance += w * w * variances[static_cast<std::size_t>(j)];
    }
    out.sigma = std::sqrt(std::max(variance, 1e-300));
    return out;
}

std::vector<PeakCandidate> search_peaks(std::span<const double> counts, int first, int last,
                                        const WidthCalibration& width, int smoothing_points,
                                        double sensitivity) {
    std::vector<PeakCandidate> found;
    const int n = static_cast<int>(counts.size());
    first = std::max(first, 0);
    last = std::min(last, n - 1);
    if (last - first < 4) return found;
    // The variance of a channel is estimated from the smoothed counts, at least 1.
    auto variances = smooth(counts, smoothing_points);
    for (auto& v : variances) v = std::max(v, 1.0);
    const SecondDifferenceFilter filter(width, smoothing_points);
    std::vector<double> value(static_cast<std::size_t>(n), 0.0),
        z(static_cast<std::size_t>(n), 0.0);
    for (int ch = first; ch <= last; ++ch) {
        // A kernel cut by the spectrum's end is no longer zero-area: skip those channels.
        const auto& k = filter.kernel(ch);
        const int reach = static_cast<int>(k.size() / 2);
        if (ch - reach < 0 || ch + reach >= n) continue;
        // The whole kernel lies inside: no test per tap.
        const double* c = counts.data() + (ch - reach);
        const double* v = variances.data() + (ch - reach);
        double sum = 0.0, variance = 0.0;
        for (std::size_t t = 0; t < k.size(); ++t) {
            sum += k[t] * c[t];
            variance += k[t] * k[t] * v[t];
        }
        value[static_cast<std::size_t>(ch)] = sum;
        z[static_cast<std::size_t>(ch)] = sum / std::sqrt(std::max(variance, 1e-300));
    }
    for (int ch = first + 1; ch < last; ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        if (z[i] < sensitivity) continue;
        if (!(value[i] > value[i - 1] && value[i] >= value[i + 1])) continue;
        const double denominator = value[i - 1] - 2.0 * value[i] + value[i + 1];
        double offset = denominator < 0.0 ? 0.5 * (value[i - 1] - value[i + 1]) / denominator : 0.0;
        offset = std::clamp(offset, -0.5, 0.5);
        found.push_back({ch + offset, z[i]});
    }
    // Merge neighbours that the fit could not tell apart, keeping the stronger.
    std::vector<PeakCandidate> merged;
    for (const auto& candidate : found) {
        if (!merged.empty() &&
            candidate.channel - merged.back().channel < 0.8 * width.fwhm(candidate.channel)) {
            if (candidate.significance > merged.back().significance) merged.back() = candidate;
            continue;
        }
        merged.push_back(candidate);
    }
    return merged;
}

}  // namespace sorvane::analysis
