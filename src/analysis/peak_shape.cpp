#include "analysis/peak_shape.h"

#include <cmath>
#include <numbers>

namespace sorvane::analysis {
namespace {

const double sqrt_half_pi = std::sqrt(std::numbers::pi / 2.0);

}  // namespace

// Unnormalised density in u = (x - c) / sigma: exp(k_l^2 / 2 + k_l u) below -k_l,
// exp(-u^2 / 2) between, exp(k_h^2 / 2 - k_h u) above k_h. Each tail holds
// exp(-k^2 / 2) / k; the core sqrt(pi / 2) (erf(k_h / sqrt 2) + erf(k_l / sqrt 2)).
PeakProfile::PeakProfile(double centroid, double sigma, double tail, double high_tail)
    : centroid_(centroid), sigma_(sigma), tail_(tail), high_tail_(high_tail) {
    double erf_high = 1.0, high_part = 0.0;
    if (tail_ > 0.0) {
        const double e = std::exp(-0.5 * tail_ * tail_);
        low_part_ = e / tail_;
        erf_low_ = std::erf(tail_ / std::numbers::sqrt2);
        d_norm_ = -e / (tail_ * tail_);
    }
    if (high_tail_ > 0.0) {
        const double e = std::exp(-0.5 * high_tail_ * high_tail_);
        high_part = e / high_tail_;
        erf_high = std::erf(high_tail_ / std::numbers::sqrt2);
        d_norm_high_ = -e / (high_tail_ * high_tail_);
    }
    norm_ = low_part_ + sqrt_half_pi * (erf_low_ + erf_high) + high_part;
}

ShapeCdf PeakProfile::cdf(double x) const {
    const double u = (x - centroid_) / sigma_;
    double value = 0.0;
    double density = 0.0;  // d value / d u
    double d_tail = 0.0;
    double d_high = 0.0;
    if (tail_ > 0.0 && u < -tail_) {
        const double k = tail_;
        const double g = std::exp(0.5 * k * k + k * u);
        value = g / k / norm_;
        density = g / norm_;
        // d/dk of g / (k norm), with d g / d k = g (k + u).
        d_tail = value * ((k + u) - 1.0 / k - d_norm_ / norm_);
        d_high = -value * d_norm_high_ / norm_;
    } else if (high_tail_ > 0.0 && u > high_tail_) {
        const double k = high_tail_;
        const double q = std::exp(0.5 * k * k - k * u);
        value = 1.0 - q / k / norm_;
        density = q / norm_;
        // The numerator is norm - q / k; the low tail enters through the norm alone.
        d_tail = d_norm_ * (1.0 - value) / norm_;
        d_high = (d_norm_high_ * (1.0 - value) - q / k * ((k - u) - 1.0 / k)) / norm_;
    } else {
        value = core_value(u);
        density = std::exp(-0.5 * u * u) / norm_;
        // The numerator's derivative in the low k equals the norm's; in the high k it is 0.
        d_tail = d_norm_ * (1.0 - value) / norm_;
        d_high = -value * d_norm_high_ / norm_;
    }
    return {value, -density / sigma_, -u * density / sigma_, d_tail, d_high};
}

double PeakProfile::value(double x) const {
    const double u = (x - centroid_) / sigma_;
    if (tail_ > 0.0 && u < -tail_) return std::exp(0.5 * tail_ * tail_ + tail_ * u) / tail_ / norm_;
    if (high_tail_ > 0.0 && u > high_tail_)
        return 1.0 - std::exp(0.5 * high_tail_ * high_tail_ - high_tail_ * u) / high_tail_ / norm_;
    return core_value(u);
}

double PeakProfile::core_value(double u) const {
    // A pure Gaussian as it always was, to the last bit.
    if (tail_ <= 0.0 && high_tail_ <= 0.0) return 0.5 * std::erfc(-u / std::numbers::sqrt2);
    return core_below(u) / norm_;
}

double PeakProfile::core_below(double u) const {
    // Without a low tail erfc keeps its digits far below the centroid.
    if (tail_ <= 0.0) return sqrt_half_pi * std::erfc(-u / std::numbers::sqrt2);
    return low_part_ + sqrt_half_pi * (std::erf(u / std::numbers::sqrt2) + erf_low_);
}

ShapeCdf peak_cdf(double x, double centroid, double sigma, double tail, double high_tail) {
    return PeakProfile(centroid, sigma, tail, high_tail).cdf(x);
}

double channel_fraction(int channel, double centroid, double sigma, double tail, double high_tail,
                        double high_share) {
    const PeakProfile profile(centroid, sigma, tail, high_tail);
    const double tailed = profile.value(channel + 0.5) - profile.value(channel - 0.5);
    if (high_tail <= 0.0 || high_share >= 1.0) return tailed;
    const PeakProfile core(centroid, sigma, tail, 0.0);
    const double untailed = core.value(channel + 0.5) - core.value(channel - 0.5);
    return high_share * tailed + (1.0 - high_share) * untailed;
}

StepMean step_mean(double x0, double x1, double centroid, double sigma, double k) {
    const double scale = k / sigma;
    const double w0 = scale * (x0 - centroid);
    const double w1 = scale * (x1 - centroid);
    // Antiderivative of atan(w) in x: (w atan w - ln(1 + w^2) / 2) / scale.
    auto primitive = [&](double w) { return (w * std::atan(w) - 0.5 * std::log1p(w * w)) / scale; };
    const double width = x1 - x0;
    StepMean step;
    step.value = 0.5 + (primitive(w1) - primitive(w0)) / (std::numbers::pi * width);
    step.d_centroid = -(std::atan(w1) - std::atan(w0)) / (std::numbers::pi * width);
    return step;
}

}  // namespace sorvane::analysis
