#pragma once

#include <optional>

namespace sorvane::activity {

// One gamma line's counts and the factor from net counts to activity.
struct LimitInput {
    double background_counts = 0.0;  // n_0 under the line's window
    double d_background_counts = 0.0;
    double conversion = 1.0;  // w = 1 / (t_live eff p f m)
    double conversion_relative_uncertainty = 0.0;
    double k_alpha = 1.6448536269514722;
    double k_beta = 1.6448536269514722;
};

// u~(y~): the standard uncertainty of the activity were its true value y~.
double uncertainty_at(const LimitInput& input, double true_value);

// The primary result y = w (n_g - n_0) of a line's region, possibly negative, and
// u^2(y) = w^2 (n_g + u^2(n_0)) + y^2 u_rel^2(w).
struct PrimaryResult {
    double value = 0.0;
    double uncertainty = 0.0;
};
PrimaryResult primary_result(const LimitInput& input, double gross_counts);

// y* = k_a w sqrt(n_0 + u^2(n_0)).
double decision_threshold(const LimitInput& input);

// y# = y* + k_b u~(y#), by iteration from 2 y*; nothing when k_b u_rel(w) >= 1 (no
// detection limit exists).
std::optional<double> detection_limit(const LimitInput& input);

// The same for k_a = k_b = k: (2 y* + k^2 w) / (1 - k^2 u_rel^2(w)).
std::optional<double> detection_limit_closed_form(const LimitInput& input);

struct CoverageInterval {
    double low = 0.0;
    double high = 0.0;
    double best_estimate = 0.0;
    double d_best_estimate = 0.0;
};

// The probabilistically symmetric interval of coverage 1 - gamma for a result y
// with uncertainty u > 0, bounded below by zero through omega = Phi(y/u), and the
// best estimate with its uncertainty.
CoverageInterval coverage_interval(double y, double u, double gamma);

}  // namespace sorvane::activity
