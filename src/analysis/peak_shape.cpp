#include "analysis/peak_shape.h"

#include <cmath>
#include <numbers>

namespace sorvane::analysis {
namespace {

const double sqrt_half_pi = std::sqrt(std::numbers::pi / 2.0);

double tail_norm(double k) {
    return sqrt_half_pi * (1.0 + std::erf(k / std::numbers::sqrt2)) + std::exp(-0.5 * k * k) / k;
}

}  // namespace

PeakProfile::PeakProfile(double centroid, double sigma, double tail)
    : centroid_(centroid), sigma_(sigma), tail_(tail) {
    if (tail_ > 0.0) {
        norm_ = tail_norm(tail_);
        erf_tail_ = std::erf(tail_ / std::numbers::sqrt2);
        exp_tail_ = std::exp(-0.5 * tail_ * tail_);
        d_norm_ = -exp_tail_ / (tail_ * tail_);
    }
}

ShapeCdf PeakProfile::cdf(double x) const {
    const double u = (x - centroid_) / sigma_;
    double value = 0.0;
    double density = 0.0;  // d value / d u
    double d_tail = 0.0;
    if (tail_ <= 0.0) {
        value = 0.5 * std::erfc(-u / std::numbers::sqrt2);
        density = std::exp(-0.5 * u * u) / (2.0 * sqrt_half_pi);
    } else {
        const double k = tail_;
        if (u < -k) {
            const double g = std::exp(0.5 * k * k + k * u);
            value = g / k / norm_;
            density = g / norm_;
            // d/dk of g / (k norm), with d g / d k = g (k + u).
            d_tail = value * ((k + u) - 1.0 / k - d_norm_ / norm_);
        } else {
            value =
                (exp_tail_ / k + sqrt_half_pi * (std::erf(u / std::numbers::sqrt2) + erf_tail_)) /
                norm_;
            density = std::exp(-0.5 * u * u) / norm_;
            // The numerator's derivative in k equals the norm's: -exp(-k^2/2) / k^2.
            d_tail = d_norm_ * (1.0 - value) / norm_;
        }
    }
    return {value, -density / sigma_, -u * density / sigma_, d_tail};
}

double PeakProfile::value(double x) const {
    const double u = (x - centroid_) / sigma_;
    if (tail_ <= 0.0) return 0.5 * std::erfc(-u / std::numbers::sqrt2);
    const double k = tail_;
    if (u < -k) return std::exp(0.5 * k * k + k * u) / k / norm_;
    return (exp_tail_ / k + sqrt_half_pi * (std::erf(u / std::numbers::sqrt2) + erf_tail_)) / norm_;
}

ShapeCdf peak_cdf(double x, double centroid, double sigma, double tail) {
    return PeakProfile(centroid, sigma, tail).cdf(x);
}

double channel_fraction(int channel, double centroid, double sigma, double tail) {
    const PeakProfile profile(centroid, sigma, tail);
    return profile.value(channel + 0.5) - profile.value(channel - 0.5);
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
