#include "analysis/poisson_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace sorvane::analysis {
namespace {

constexpr double infinite = std::numeric_limits<double>::infinity();
// Iterations before a slow crawl may end the fit.
constexpr int crawl_after = 10;

// Half gradient and Fisher information over the free parameters.
struct Normal {
    std::vector<double> gradient;
    Matrix fisher;
};

Normal normal_equations(const Matrix& jacobian, std::span<const double> counts,
                        std::span<const double> mu, const std::vector<std::size_t>& free) {
    const std::size_t m = free.size();
    Normal normal{std::vector<double>(m, 0.0), Matrix(m, m)};
    std::vector<double> row(m);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double weight = 1.0 / mu[i];
        const double residual = 1.0 - counts[i] * weight;
        for (std::size_t a = 0; a < m; ++a) row[a] = jacobian(i, free[a]);
        for (std::size_t a = 0; a < m; ++a) {
            if (row[a] == 0.0) continue;
            normal.gradient[a] += residual * row[a];
            const double wa = weight * row[a];
            for (std::size_t b = a; b < m; ++b) normal.fisher(a, b) += wa * row[b];
        }
    }
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < a; ++b) normal.fisher(a, b) = normal.fisher(b, a);
    return normal;
}

// The damped Gauss-Newton step for the free parameters, of which only those in
// `moving` may move. A step that would carry a parameter past a limit takes it to
// the limit, and the others are solved again for that move; a parameter at a limit
// whose step points further out stays there. Merely cutting such a step at the
// limit leaves the others where the uncut step would have suited them, and the fit
// then goes to and fro along the limit for many iterations. Nothing when the system
// cannot be solved or no parameter can move.
std::optional<std::vector<double>> damped_step(const Normal& normal,
                                               std::vector<std::size_t> moving,
                                               const std::vector<std::size_t>& free,
                                               std::span<const double> theta,
                                               const FitLimits& limits, double lambda) {
    std::vector<double> step(free.size(), 0.0);
    while (!moving.empty()) {
        const std::size_t m = moving.size();
        Matrix damped(m, m);
        std::vector<double> rhs(m);
        for (std::size_t a = 0; a < m; ++a) {
            rhs[a] = -normal.gradient[moving[a]];
            // Parameters already taken to a limit move by their known step.
            for (std::size_t b = 0; b < free.size(); ++b)
                if (step[b] != 0.0) rhs[a] -= normal.fisher(moving[a], b) * step[b];
            for (std::size_t b = 0; b < m; ++b) damped(a, b) = normal.fisher(moving[a], moving[b]);
            damped(a, a) += lambda * std::max(normal.fisher(moving[a], moving[a]), 1e-300);
        }
        const auto solved = solve_symmetric(damped, rhs);
        if (!solved) return std::nullopt;
        std::vector<std::size_t> still;
        for (std::size_t a = 0; a < m; ++a) {
            const std::size_t j = free[moving[a]];
            const double target = theta[j] + (*solved)[a];
            if (target < limits.lower[j]) {
                step[moving[a]] = limits.lower[j] - theta[j];  // 0 when already there
            } else if (target > limits.upper[j]) {
                step[moving[a]] = limits.upper[j] - theta[j];
            } else {
                still.push_back(moving[a]);
            }
        }
        if (still.size() == m) {
            for (std::size_t a = 0; a < m; ++a) step[moving[a]] = (*solved)[a];
            return step;
        }
        moving = std::move(still);
    }
    for (double s : step)
        if (s != 0.0) return step;
    return std::nullopt;
}

}  // namespace

double poisson_deviance(std::span<const double> counts, std::span<const double> mu) {
    double sum = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        if (!(mu[i] > 0.0) || !std::isfinite(mu[i])) return infinite;
        const double y = counts[i];
        sum += mu[i] - y;
        if (y > 0.0) sum += y * std::log(y / mu[i]);
    }
    return 2.0 * sum;
}

std::vector<double> deviance_gradient(const PoissonModel& model, std::span<const double> theta,
                                      std::span<const double> counts) {
    const std::size_t n = model.channel_count();
    const std::size_t p = model.parameter_count();
    std::vector<double> mu(n);
    Matrix jacobian(n, p);
    model.evaluate(theta, mu, &jacobian);
    std::vector<double> gradient(p, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < p; ++j)
            gradient[j] += 2.0 * (1.0 - counts[i] / mu[i]) * jacobian(i, j);
    return gradient;
}

namespace {

// A parameter sits at a limit and the deviance's gradient pushes it further out (or,
// with `or_flat`, does not pull it back in).
bool held_at_limit(double value, double lower, double upper, double gradient, bool or_flat) {
    const bool low = value <= lower && (gradient > 0.0 || (or_flat && gradient == 0.0));
    const bool high = value >= upper && (gradient < 0.0 || (or_flat && gradient == 0.0));
    return low || high;
}

// Indices into `free` of the parameters that may move in this step.
std::vector<std::size_t> movable_parameters(const Normal& normal,
                                            const std::vector<std::size_t>& free,
                                            const std::vector<double>& theta,
                                            const FitLimits& limits) {
    std::vector<std::size_t> moving;
    for (std::size_t a = 0; a < free.size(); ++a) {
        const std::size_t j = free[a];
        if (!held_at_limit(theta[j], limits.lower[j], limits.upper[j], normal.gradient[a], false))
            moving.push_back(a);
    }
    return moving;
}

// The state of the iteration: mu and the Jacobian always belong to fit.theta.
struct Iterate {
    const PoissonModel& model;
    std::span<const double> counts;
    const FitLimits& limits;
    std::vector<std::size_t> free;
    PoissonFit fit;
    std::vector<double> mu, trial_mu;
    Matrix jacobian, trial_jacobian;
    double lambda = 1e-3;
};

// Raises the damping until a step lowers the deviance and takes it; the gain in
// deviance and the damping that gave it, or nothing when no step does.
struct Taken {
    double change;
    double lambda;
};
std::optional<Taken> damped_trial(Iterate& it, const Normal& full,
                                  const std::vector<std::size_t>& moving) {
    auto& fit = it.fit;
    std::vector<double> trial(fit.theta.size());
    while (it.lambda < 1e12) {
        const auto step = damped_step(full, moving, it.free, fit.theta, it.limits, it.lambda);
        if (!step) {
            it.lambda *= 10.0;
            continue;
        }
        trial = fit.theta;
        for (std::size_t a = 0; a < it.free.size(); ++a) {
            const std::size_t j = it.free[a];
            trial[j] = std::clamp(trial[j] + (*step)[a], it.limits.lower[j], it.limits.upper[j]);
        }
        // A trial is evaluated with its Jacobian, which is kept when the trial is taken.
        it.model.evaluate(trial, it.trial_mu, &it.trial_jacobian);
        const double trial_deviance = poisson_deviance(it.counts, it.trial_mu);
        if (trial_deviance <= fit.deviance) {
            const Taken taken{fit.deviance - trial_deviance, it.lambda};
            fit.theta = trial;
            fit.deviance = trial_deviance;
            std::swap(it.mu, it.trial_mu);
            std::swap(it.jacobian, it.trial_jacobian);
            it.lambda = std::max(it.lambda * 0.1, 1e-12);
            return taken;
        }
        it.lambda *= 10.0;
    }
    return std::nullopt;
}

// Whether the iteration may stop after a step that gained `taken.change`.
bool settled(const Taken& taken, const PoissonFit& fit, std::array<double, 3>& recent_changes,
             int iteration, std::size_t channels, std::size_t free_count) {
    // Near the optimum an undamped step removes nearly all of the excess deviance,
    // so a small change there leaves far less than one unit behind.
    if (taken.change <= 1e-9 * (1.0 + fit.deviance) ||
        (taken.change < 1e-6 && taken.lambda <= 1e-2))
        return true;
    // A slow crawl along a flat valley, or to and fro along a limit: when three
    // iterations together gain far less than one unit of deviance, no parameter
    // moves by a noticeable fraction of its uncertainty. A poor fit's
    // uncertainties are scaled by its reduced deviance, and so is the unit.
    recent_changes[static_cast<std::size_t>(iteration) % recent_changes.size()] = taken.change;
    const double unit =
        std::max(1.0, fit.deviance / std::max<double>(1.0, static_cast<double>(channels) -
                                                               static_cast<double>(free_count)));
    const double recent = recent_changes[0] + recent_changes[1] + recent_changes[2];
    return iteration >= crawl_after && recent < 0.01 * unit;
}

// The inverse Fisher information over the parameters not held at a limit by the data,
// scaled by the reduced deviance when that exceeds 1.
void set_covariance(Iterate& it) {
    auto& fit = it.fit;
    const std::size_t n = it.model.channel_count();
    const std::size_t p = it.model.parameter_count();
    Normal normal = normal_equations(it.jacobian, it.counts, it.mu, it.free);
    std::vector<std::size_t> inside;
    for (std::size_t a = 0; a < it.free.size(); ++a) {
        const std::size_t j = it.free[a];
        if (!held_at_limit(fit.theta[j], it.limits.lower[j], it.limits.upper[j], normal.gradient[a],
                           true))
            inside.push_back(j);
    }
    if (inside.size() != it.free.size()) {
        it.free = std::move(inside);
        normal = normal_equations(it.jacobian, it.counts, it.mu, it.free);
    }
    const Matrix inverse = invert_symmetric(normal.fisher);
    fit.degrees_of_freedom = n > it.free.size() ? n - it.free.size() : 0;
    fit.reduced_deviance = fit.degrees_of_freedom > 0
                               ? fit.deviance / static_cast<double>(fit.degrees_of_freedom)
                               : 0.0;
    const double scale = std::max(1.0, fit.reduced_deviance);
    fit.covariance = Matrix(p, p);
    for (std::size_t a = 0; a < it.free.size(); ++a)
        for (std::size_t b = 0; b < it.free.size(); ++b)
            fit.covariance(it.free[a], it.free[b]) = inverse(a, b) * scale;
}

}  // namespace

PoissonFit fit_poisson(const PoissonModel& model, std::span<const double> counts,
                       std::vector<double> start, const FitLimits& limits, int max_iterations) {
    const std::size_t n = model.channel_count();
    const std::size_t p = model.parameter_count();
    Iterate it{
        model,        counts,      limits, {}, {}, std::vector<double>(n), std::vector<double>(n),
        Matrix(n, p), Matrix(n, p)};
    for (std::size_t j = 0; j < p; ++j) {
        start[j] = std::clamp(start[j], limits.lower[j], limits.upper[j]);
        if (!limits.fixed[j]) it.free.push_back(j);
    }
    auto& fit = it.fit;
    fit.theta = std::move(start);
    model.evaluate(fit.theta, it.mu, &it.jacobian);
    fit.deviance = poisson_deviance(counts, it.mu);
    std::array<double, 3> recent_changes{infinite, infinite, infinite};
    for (int iteration = 0; iteration < max_iterations && std::isfinite(fit.deviance);
         ++iteration) {
        fit.iterations = iteration + 1;
        const Normal full = normal_equations(it.jacobian, counts, it.mu, it.free);
        const auto moving = movable_parameters(full, it.free, fit.theta, limits);
        const auto taken = moving.empty() ? std::nullopt : damped_trial(it, full, moving);
        // Nothing may move, or no step lowers the deviance: at the optimum.
        if (!taken || settled(*taken, fit, recent_changes, iteration, n, it.free.size())) {
            fit.converged = true;
            break;
        }
    }
    set_covariance(it);
    return std::move(it.fit);
}

}  // namespace sorvane::analysis
