#include "activity/efficiency_curve.h"

#include <algorithm>
#include <cmath>

#include "analysis/dense_matrix.h"

namespace sorvane::activity {
namespace {

using analysis::Matrix;

std::vector<double> powers(const EfficiencyCurve& curve, double energy_kev) {
    std::vector<double> g(static_cast<std::size_t>(curve.order) + 1, 1.0);
    const double x = std::log(energy_kev / curve.reference_energy_kev);
    for (std::size_t k = 1; k < g.size(); ++k) g[k] = g[k - 1] * x;
    return g;
}

double quadratic_form(const EfficiencyCurve& curve, const std::vector<double>& g1,
                      const std::vector<double>& g2) {
    const std::size_t n = g1.size();
    if (curve.covariance.size() != n * n) return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) sum += g1[i] * curve.covariance[i * n + j] * g2[j];
    return sum;
}

// The shared part, never more than the point's whole uncertainty.
double common(const EfficiencyPoint& p) {
    return std::clamp(p.common_relative, 0.0, p.d_efficiency / p.efficiency);
}

double standard_common(const EfficiencyPoint& p) {
    return std::clamp(p.standard_relative, 0.0, common(p));
}

bool usable(const EfficiencyPoint& p) {
    return p.energy_kev > 0.0 && p.efficiency > 0.0 && p.d_efficiency > 0.0 &&
           std::isfinite(p.energy_kev) && std::isfinite(p.efficiency) &&
           std::isfinite(p.d_efficiency);
}

}  // namespace

EfficiencyFit fit_efficiency(const std::vector<EfficiencyPoint>& points, int order,
                             const std::string& standard) {
    EfficiencyFit out;
    if (order < lowest_efficiency_order || order > highest_efficiency_order) {
        out.problem = "the order of the curve must be 2 to 5, not " + std::to_string(order);
        return out;
    }
    EfficiencyCurve& curve = out.curve;
    for (const EfficiencyPoint& p : points)
        if (usable(p)) curve.fitted.push_back(p);
    const std::size_t n = static_cast<std::size_t>(order) + 1;
    if (curve.fitted.size() <= n) {
        out.problem = "a curve of order " + std::to_string(order) + " needs at least " +
                      std::to_string(n + 1) +
                      " points with an efficiency and its uncertainty, not " +
                      std::to_string(curve.fitted.size());
        return out;
    }
    curve.order = order;
    curve.standard = standard;
    curve.points = static_cast<int>(curve.fitted.size());
    double log_sum = 0.0;
    curve.energy_min_kev = curve.fitted.front().energy_kev;
    curve.energy_max_kev = curve.energy_min_kev;
    for (const EfficiencyPoint& p : curve.fitted) {
        log_sum += std::log(p.energy_kev);
        curve.energy_min_kev = std::min(curve.energy_min_kev, p.energy_kev);
        curve.energy_max_kev = std::max(curve.energy_max_kev, p.energy_kev);
    }
    curve.reference_energy_kev = std::exp(log_sum / curve.points);

    // The points' covariance in ln eff and its inverse (the GLS weights).
    const std::size_t m = curve.fitted.size();
    Matrix points_covariance(m, m);
    std::vector<std::vector<double>> g(m);
    std::vector<double> y(m);
    for (std::size_t a = 0; a < m; ++a) {
        const EfficiencyPoint& p = curve.fitted[a];
        g[a] = powers(curve, p.energy_kev);
        y[a] = std::log(p.efficiency);
        for (std::size_t b = 0; b < m; ++b) {
            const EfficiencyPoint& q = curve.fitted[b];
            points_covariance(a, b) =
                a == b ? std::pow(p.d_efficiency / p.efficiency, 2)
                       : (p.nuclide == q.nuclide ? common(p) * common(q)
                                                 : standard_common(p) * standard_common(q));
        }
    }
    const Matrix weights = analysis::invert_symmetric(points_covariance);
    Matrix normal(n, n);
    std::vector<double> right(n, 0.0);
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < m; ++b) {
            const double w = weights(a, b);
            if (w == 0.0) continue;
            for (std::size_t i = 0; i < n; ++i) {
                right[i] += g[a][i] * w * y[b];
                for (std::size_t j = 0; j < n; ++j) normal(i, j) += g[a][i] * w * g[b][j];
            }
        }
    const auto solution = analysis::solve_symmetric(normal, right);
    if (!solution) {
        out.problem = "the points do not determine a curve of order " + std::to_string(order) +
                      " (too few distinct energies)";
        return out;
    }
    curve.coefficients = *solution;
    const Matrix inverse = analysis::invert_symmetric(normal);
    curve.covariance = inverse.values;
    std::vector<double> residual(m);
    for (std::size_t a = 0; a < m; ++a)
        residual[a] =
            y[a] - std::log(evaluate_efficiency(curve, curve.fitted[a].energy_kev).efficiency);
    double chi2 = 0.0;
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < m; ++b) chi2 += residual[a] * weights(a, b) * residual[b];
    curve.chi2_reduced = chi2 / static_cast<double>(curve.fitted.size() - n);
    return out;
}

EfficiencyValue evaluate_efficiency(const EfficiencyCurve& curve, double energy_kev) {
    EfficiencyValue out;
    if (!(energy_kev > 0.0) || curve.coefficients.empty()) return out;
    const std::vector<double> g = powers(curve, energy_kev);
    double log_eff = 0.0;
    for (std::size_t k = 0; k < g.size() && k < curve.coefficients.size(); ++k)
        log_eff += curve.coefficients[k] * g[k];
    out.efficiency = std::exp(log_eff);
    out.relative_uncertainty = std::sqrt(std::max(quadratic_form(curve, g, g), 0.0));
    out.inside_range = energy_kev >= curve.energy_min_kev && energy_kev <= curve.energy_max_kev;
    return out;
}

double log_efficiency_covariance(const EfficiencyCurve& curve, double energy1_kev,
                                 double energy2_kev) {
    if (!(energy1_kev > 0.0) || !(energy2_kev > 0.0)) return 0.0;
    return quadratic_form(curve, powers(curve, energy1_kev), powers(curve, energy2_kev));
}

}  // namespace sorvane::activity
