#include "activity/characteristic_limits.h"

#include <cmath>
#include <numbers>

#include "activity/normal_distribution.h"

namespace sorvane::activity {

double uncertainty_at(const LimitInput& in, double true_value) {
    const double w = in.conversion;
    const double background =
        in.background_counts + in.d_background_counts * in.d_background_counts;
    const double variance = w * w * (true_value / w + background) +
                            std::pow(true_value * in.conversion_relative_uncertainty, 2);
    return std::sqrt(std::max(variance, 0.0));
}

PrimaryResult primary_result(const LimitInput& in, double gross_counts) {
    PrimaryResult out;
    const double w = in.conversion;
    out.value = w * (gross_counts - in.background_counts);
    const double variance =
        w * w * (std::max(gross_counts, 0.0) + in.d_background_counts * in.d_background_counts) +
        std::pow(out.value * in.conversion_relative_uncertainty, 2);
    out.uncertainty = std::sqrt(variance);
    return out;
}

double decision_threshold(const LimitInput& in) {
    return in.k_alpha * uncertainty_at(in, 0.0);
}

std::optional<double> detection_limit(const LimitInput& in) {
    if (in.k_beta * in.conversion_relative_uncertainty >= 1.0) return std::nullopt;
    const double threshold = decision_threshold(in);
    // From 2 y*; a threshold of 0 (no background) still leaves the Poisson term.
    double limit = threshold > 0.0 ? 2.0 * threshold : in.k_beta * in.k_beta * in.conversion;
    for (int step = 0; step < 500; ++step) {
        const double next = threshold + in.k_beta * uncertainty_at(in, limit);
        const bool settled = std::abs(next - limit) <= 1e-13 * std::abs(next);
        limit = next;
        if (settled) break;
    }
    return limit;
}

std::optional<double> detection_limit_closed_form(const LimitInput& in) {
    const double k = in.k_beta;
    const double denominator = 1.0 - std::pow(k * in.conversion_relative_uncertainty, 2);
    if (!(denominator > 0.0)) return std::nullopt;
    return (2.0 * decision_threshold(in) + k * k * in.conversion) / denominator;
}

CoverageInterval coverage_interval(double y, double u, double gamma) {
    CoverageInterval out;
    if (!(u > 0.0)) {
        out.low = out.high = out.best_estimate = y;
        return out;
    }
    const double omega = normal_cdf(y / u);
    out.low = y - normal_quantile(omega * (1.0 - gamma / 2.0)) * u;
    out.high = y + normal_quantile(1.0 - omega * gamma / 2.0) * u;
    out.best_estimate =
        y + u * std::exp(-y * y / (2.0 * u * u)) / (omega * std::sqrt(2.0 * std::numbers::pi));
    out.d_best_estimate =
        std::sqrt(std::max(u * u - (out.best_estimate - y) * out.best_estimate, 0.0));
    return out;
}

}  // namespace sorvane::activity
