#include "analysis/region_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/peak_shape.h"

namespace sorvane::analysis {

RegionModel::RegionModel(int first, int last, std::size_t peaks, const WidthCalibration& width,
                         PeakShape shape, double bkg_shape, std::vector<double> step_sigma)
    : first_(first),
      last_(last),
      layout_{peaks},
      width_(width),
      shape_(shape),
      bkg_shape_(bkg_shape),
      step_sigma_(std::move(step_sigma)) {}

double RegionModel::axis(double channel) const {
    const double middle = 0.5 * (first_ + last_);
    const double half = std::max(0.5 * (last_ - first_), 1.0);
    return (channel - middle) / half;
}

double RegionModel::sigma(std::span<const double> theta, std::size_t peak) const {
    return theta[layout_.width_scale()] * width_.fwhm(theta[layout_.centroid(peak)]) /
           fwhm_per_sigma;
}

std::vector<double> RegionModel::background(std::span<const double> theta) const {
    std::vector<double> values(channel_count());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double x = first_ + static_cast<double>(i);
        double value =
            theta[layout_.background_level()] + theta[layout_.background_slope()] * axis(x);
        for (std::size_t j = 0; j < layout_.peaks; ++j) {
            value +=
                theta[layout_.step(j)] *
                step_mean(x - 0.5, x + 0.5, theta[layout_.centroid(j)], step_sigma_[j], bkg_shape_)
                    .value;
        }
        values[i] = value;
    }
    return values;
}

void RegionModel::evaluate(std::span<const double> theta, std::span<double> mu,
                           Matrix* jacobian) const {
    const std::size_t n = channel_count();
    const double scale = theta[layout_.width_scale()];
    const bool tailed = shape_ == PeakShape::gauss_exp;
    const double tail = tailed ? theta[layout_.tail()] : 0.0;
    const double high_tail = tailed ? theta[layout_.high_tail()] : 0.0;
    auto is_fixed = [&](std::size_t index) { return !fixed_.empty() && fixed_[index]; };
    // Only a part of the peak may have the high tail: the rest is the core alone.
    const double share = high_tail > 0.0 ? std::clamp(theta[layout_.high_share()], 0.0, 1.0) : 1.0;
    const bool mixed = share < 1.0 || !is_fixed(layout_.high_share());
    const bool tail_derivative = jacobian && tailed && !is_fixed(layout_.tail());
    const bool high_tail_derivative = jacobian && tailed && !is_fixed(layout_.high_tail());
    const bool share_derivative = jacobian && high_tail > 0.0 && !is_fixed(layout_.high_share());
    if (jacobian) std::fill(jacobian->values.begin(), jacobian->values.end(), 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = first_ + static_cast<double>(i);
        mu[i] = theta[layout_.background_level()] + theta[layout_.background_slope()] * axis(x);
        if (jacobian) {
            (*jacobian)(i, layout_.background_level()) = 1.0;
            (*jacobian)(i, layout_.background_slope()) = axis(x);
        }
    }
    for (std::size_t j = 0; j < layout_.peaks; ++j) {
        const double centroid = theta[layout_.centroid(j)];
        const double area = theta[layout_.area(j)];
        const double calibrated = width_.fwhm(centroid) / fwhm_per_sigma;
        const double sigma = scale * calibrated;
        const double d_sigma_d_centroid = scale * width_.fwhm_slope(centroid) / fwhm_per_sigma;
        const double step_height = theta[layout_.step(j)];
        const bool stepped = step_height != 0.0 || !is_fixed(layout_.step(j));
        const PeakProfile profile(centroid, sigma, tail, high_tail);
        // The untailed rest, only where a part of the peak lacks the high tail.
        const PeakProfile core = mixed ? PeakProfile(centroid, sigma, tail, 0.0) : profile;
        // Without a Jacobian only the values are needed, which spares an exp per edge.
        auto one_edge = [&](const PeakProfile& p, double edge) {
            return jacobian ? p.cdf(edge) : ShapeCdf{p.value(edge)};
        };
        // The tailed share and the untailed rest, and d/d share in d_share.
        double d_share_lower = 0.0, d_share_upper = 0.0;
        auto at_edge = [&](double edge) {
            ShapeCdf tailed_cdf = one_edge(profile, edge);
            if (!mixed) return tailed_cdf;
            const ShapeCdf untailed = one_edge(core, edge);
            d_share_upper = tailed_cdf.value - untailed.value;
            const double rest = 1.0 - share;
            tailed_cdf.value = share * tailed_cdf.value + rest * untailed.value;
            tailed_cdf.d_centroid = share * tailed_cdf.d_centroid + rest * untailed.d_centroid;
            tailed_cdf.d_sigma = share * tailed_cdf.d_sigma + rest * untailed.d_sigma;
            tailed_cdf.d_tail = share * tailed_cdf.d_tail + rest * untailed.d_tail;
            tailed_cdf.d_high_tail *= share;
            return tailed_cdf;
        };
        ShapeCdf lower = at_edge(first_ - 0.5);
        d_share_lower = d_share_upper;
        // The step's antiderivative and slope at the lower edge of the channel.
        const double step_scale = bkg_shape_ / step_sigma_[j];
        auto primitive = [&](double w, double atan_w) {
            return (w * atan_w - 0.5 * std::log1p(w * w)) / step_scale;
        };
        const double w_lower = step_scale * (first_ - 0.5 - centroid);
        double a_lower = stepped ? std::atan(w_lower) : 0.0;
        double p_lower = stepped ? primitive(w_lower, a_lower) : 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = first_ + static_cast<double>(i);
            const ShapeCdf upper = at_edge(x + 0.5);
            const double fraction = upper.value - lower.value;
            double step_value = 0.0, step_slope = 0.0;
            if (stepped) {
                const double w_upper = step_scale * (x + 0.5 - centroid);
                const double a_upper = std::atan(w_upper);
                const double p_upper = primitive(w_upper, a_upper);
                step_value = 0.5 + (p_upper - p_lower) / std::numbers::pi;
                step_slope = -(a_upper - a_lower) / std::numbers::pi;
                p_lower = p_upper;
                a_lower = a_upper;
            }
            mu[i] += area * fraction + step_height * step_value;
            if (jacobian) {
                auto& jac = *jacobian;
                const double d_sigma = upper.d_sigma - lower.d_sigma;
                jac(i, layout_.area(j)) = fraction;
                jac(i, layout_.centroid(j)) =
                    area * (upper.d_centroid - lower.d_centroid + d_sigma * d_sigma_d_centroid) +
                    step_height * step_slope;
                jac(i, layout_.width_scale()) += area * d_sigma * calibrated;
                jac(i, layout_.step(j)) = step_value;
                if (tail_derivative) jac(i, layout_.tail()) += area * (upper.d_tail - lower.d_tail);
                if (high_tail_derivative)
                    jac(i, layout_.high_tail()) += area * (upper.d_high_tail - lower.d_high_tail);
                if (share_derivative)
                    jac(i, layout_.high_share()) += area * (d_share_upper - d_share_lower);
            }
            lower = upper;
            d_share_lower = d_share_upper;
        }
    }
}

}  // namespace sorvane::analysis
