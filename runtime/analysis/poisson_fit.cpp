#include "analysis/poisson_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorvane::analysis {
namespace {

constexpr double infinite = std::numeric_limits<double>::infinity();

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

PoissonFit fit_poisson(const PoissonModel& model, std::span<const double> counts,
                       std::vector<double> start, const FitLimits& limits, int max_iterations) {
    const std::size_t n = model.channel_count();
    const std::size_t p = model.parameter_count();
    std::vector<std::size_t> free;
    for (std::size_t j = 0; j < p; ++j) {
        start[j] = std::clamp(start[j], limits.lower[j], limits.upper[j]);
        if (!limits.fixed[j]) free.push_back(j);
    }
    PoissonFit fit;
    fit.theta = std::move(start);
    std::vector<double> mu(n), trial_mu(n);
    Matrix jacobian(n, p);
    model.evaluate(fit.theta, mu, &jacobian);
    fit.deviance = poisson_deviance(counts, mu);
    double lambda = 1e-3;
    std::vector<double> trial(p);
    int small_steps = 0;
    for (int iteration = 0; iteration < max_iterations && std::isfinite(fit.deviance);
         ++iteration) {
        fit.iterations = iteration + 1;
        const Normal full = normal_equations(jacobian, counts, mu, free);
        // A parameter at a limit that the deviance pushes further out sits out this step.
        std::vector<std::size_t> moving;
        for (std::size_t a = 0; a < free.size(); ++a) {
            const std::size_t j = free[a];
            const bool pinned = (fit.theta[j] <= limits.lower[j] && full.gradient[a] > 0.0) ||
                                (fit.theta[j] >= limits.upper[j] && full.gradient[a] < 0.0);
            if (!pinned) moving.push_back(a);
        }
        const std::size_t m = moving.size();
        if (m == 0) {
            fit.converged = true;
            break;
        }
        bool improved = false;
        double change = 0.0;
        double step_lambda = lambda;
        while (lambda < 1e12) {
            Matrix damped(m, m);
            std::vector<double> minus_gradient(m);
            for (std::size_t a = 0; a < m; ++a) {
                minus_gradient[a] = -full.gradient[moving[a]];
                for (std::size_t b = 0; b < m; ++b)
                    damped(a, b) = full.fisher(moving[a], moving[b]);
                damped(a, a) += lambda * std::max(full.fisher(moving[a], moving[a]), 1e-300);
            }
            const auto step = solve_symmetric(damped, minus_gradient);
            if (!step) {
                lambda *= 10.0;
                continue;
            }
            trial = fit.theta;
            for (std::size_t a = 0; a < m; ++a) {
                const std::size_t j = free[moving[a]];
                trial[j] = std::clamp(trial[j] + (*step)[a], limits.lower[j], limits.upper[j]);
            }
            model.evaluate(trial, trial_mu, nullptr);
            const double trial_deviance = poisson_deviance(counts, trial_mu);
            if (trial_deviance <= fit.deviance) {
                change = fit.deviance - trial_deviance;
                step_lambda = lambda;
                fit.theta = trial;
                fit.deviance = trial_deviance;
                lambda = std::max(lambda * 0.1, 1e-12);
                improved = true;
                break;
            }
            lambda *= 10.0;
        }
        if (!improved) {
            fit.converged = true;  // no step lowers the deviance: at the optimum
            break;
        }
        model.evaluate(fit.theta, mu, &jacobian);
        // Near the optimum an undamped step removes nearly all of the excess deviance,
        // so a small change there leaves far less than one unit behind.
        if (change <= 1e-9 * (1.0 + fit.deviance) || (change < 1e-6 && step_lambda <= 1e-2)) {
            fit.converged = true;
            break;
        }
        // A slow crawl along a flat valley: changes far below one unit of deviance
        // move no parameter by a noticeable fraction of its uncertainty.
        small_steps = change < 1e-3 ? small_steps + 1 : 0;
        if (iteration >= 20 && small_steps >= 3) {
            fit.converged = true;
            break;
        }
    }
    model.evaluate(fit.theta, mu, &jacobian);
    // A parameter held at its limit by the data counts as fixed for the uncertainties.
    {
        const Normal at_end = normal_equations(jacobian, counts, mu, free);
        std::vector<std::size_t> inside;
        for (std::size_t a = 0; a < free.size(); ++a) {
            const std::size_t j = free[a];
            const bool pinned = (fit.theta[j] <= limits.lower[j] && at_end.gradient[a] >= 0.0) ||
                                (fit.theta[j] >= limits.upper[j] && at_end.gradient[a] <= 0.0);
            if (!pinned) inside.push_back(j);
        }
        free = std::move(inside);
    }
    const Normal normal = normal_equations(jacobian, counts, mu, free);
    const Matrix inverse = invert_symmetric(normal.fisher);
    fit.degrees_of_freedom = n > free.size() ? n - free.size() : 0;
    fit.reduced_deviance = fit.degrees_of_freedom > 0
                               ? fit.deviance / static_cast<double>(fit.degrees_of_freedom)
                               : 0.0;
    const double scale = std::max(1.0, fit.reduced_deviance);
    fit.covariance = Matrix(p, p);
    for (std::size_t a = 0; a < free.size(); ++a)
        for (std::size_t b = 0; b < free.size(); ++b)
            fit.covariance(free[a], free[b]) = inverse(a, b) * scale;
    return fit;
}

}  // namespace sorvane::analysis
