#pragma once

#include <span>
#include <vector>

#include "analysis/dense_matrix.h"

namespace sorvane::analysis {

// A model of expected counts per channel with its Jacobian.
class PoissonModel {
public:
    virtual ~PoissonModel() = default;
    virtual std::size_t parameter_count() const = 0;
    virtual std::size_t channel_count() const = 0;
    // Fills mu (channel_count) and, when given, the Jacobian d mu_i / d theta_j
    // (channel_count x parameter_count).
    virtual void evaluate(std::span<const double> theta, std::span<double> mu,
                          Matrix* jacobian) const = 0;
};

// 2 sum(mu - y + y ln(y / mu)); infinite when a mu is not positive.
double poisson_deviance(std::span<const double> counts, std::span<const double> mu);

// Gradient of the deviance in theta: 2 sum (1 - y / mu) d mu / d theta.
std::vector<double> deviance_gradient(const PoissonModel& model, std::span<const double> theta,
                                      std::span<const double> counts);

struct FitLimits {
    std::vector<double> lower;
    std::vector<double> upper;
    std::vector<bool> fixed;  // held at the start value
};

struct PoissonFit {
    std::vector<double> theta;
    double deviance = 0.0;
    std::size_t degrees_of_freedom = 0;
    double reduced_deviance = 0.0;  // deviance / degrees of freedom (0 when none)
    // Inverse Fisher information scaled by the reduced deviance when that exceeds
    // 1; zero rows for fixed parameters.
    Matrix covariance;
    int iterations = 0;
    bool converged = false;
};

// Levenberg-Marquardt on the Poisson deviance with the Fisher information as the
// curvature; parameters are kept inside their limits.
PoissonFit fit_poisson(const PoissonModel& model, std::span<const double> counts,
                       std::vector<double> start, const FitLimits& limits,
                       int max_iterations = 200);

}  // namespace sorvane::analysis
