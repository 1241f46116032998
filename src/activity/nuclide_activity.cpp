#include "activity/nuclide_activity.h"

#include <cmath>

#include "activity/normal_distribution.h"

#include "analysis/dense_matrix.h"

namespace sorvane::activity {
namespace {

double squared(double x) {
    return x * x;
}

double relative_quantity(const CommonFactors& common) {
    return common.quantity > 0.0 ? common.d_quantity / common.quantity : 0.0;
}

}  // namespace

LineActivity line_activity(const LineMeasurement& line, const EfficiencyCurve& curve,
                           const CommonFactors& common) {
    LineActivity out;
    out.energy_kev = line.energy_kev;
    const EfficiencyValue eff = evaluate_efficiency(curve, line.energy_kev);
    out.inside_curve = eff.inside_range;
    out.correction_relative_uncertainty = line.correction_relative_uncertainty;
    const double product = common.live_time_s * eff.efficiency * line.emission_probability *
                           common.decay.factor * common.quantity;
    if (!(product > 0.0) || !std::isfinite(product)) return out;
    out.conversion = 1.0 / product;
    const double u_p = line.d_emission_probability / line.emission_probability;
    out.conversion_relative_uncertainty =
        std::sqrt(squared(eff.relative_uncertainty) + squared(u_p) +
                  squared(line.correction_relative_uncertainty) +
                  squared(common.decay.relative_uncertainty) + squared(relative_quantity(common)));
    out.activity = line.net_area * out.conversion;
    out.d_activity = std::sqrt(squared(line.d_area * out.conversion) +
                               squared(out.activity * out.conversion_relative_uncertainty));
    out.usable = line.net_area > 0.0 && line.d_area > 0.0;
    return out;
}

NuclideActivity combine_lines(const std::vector<LineActivity>& activities,
                              const std::vector<LineMeasurement>& lines,
                              const EfficiencyCurve& curve, const CommonFactors& common) {
    NuclideActivity out;
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < activities.size() && i < lines.size(); ++i)
        if (activities[i].usable) used.push_back(i);
    const std::size_t n = used.size();
    if (n == 0) return out;

    // Relative covariance by source: diagonal counting, emission and corrections, full
    // efficiency.
    std::vector<double> counting(n), emission(n), corrections(n), values(n);
    analysis::Matrix efficiency(n, n), relative(n, n);
    for (std::size_t a = 0; a < n; ++a) {
        const LineMeasurement& line = lines[used[a]];
        values[a] = activities[used[a]].activity;
        counting[a] = squared(line.d_area / line.net_area);
        emission[a] = squared(line.d_emission_probability / line.emission_probability);
        corrections[a] = squared(line.correction_relative_uncertainty);
        for (std::size_t b = 0; b < n; ++b) {
            efficiency(a, b) =
                log_efficiency_covariance(curve, line.energy_kev, lines[used[b]].energy_kev);
            relative(a, b) =
                efficiency(a, b) + (a == b ? counting[a] + emission[a] + corrections[a] : 0.0);
        }
    }
    const auto weights_raw = analysis::solve_symmetric(relative, std::vector<double>(n, 1.0));
    if (!weights_raw) return out;
    double weight_sum = 0.0;
    for (double w : *weights_raw) weight_sum += w;
    std::vector<double> weights(n);
    for (std::size_t a = 0; a < n; ++a) weights[a] = (*weights_raw)[a] / weight_sum;
    double mean = 0.0;
    for (std::size_t a = 0; a < n; ++a) mean += weights[a] * values[a];

    const double mean2 = mean * mean;
    for (std::size_t a = 0; a < n; ++a) {
        out.budget.counting += mean2 * squared(weights[a]) * counting[a];
        out.budget.emission += mean2 * squared(weights[a]) * emission[a];
        out.budget.corrections += mean2 * squared(weights[a]) * corrections[a];
        for (std::size_t b = 0; b < n; ++b)
            out.budget.efficiency += mean2 * weights[a] * weights[b] * efficiency(a, b);
    }
    out.budget.half_life = mean2 * squared(common.decay.relative_uncertainty);
    out.budget.quantity = mean2 * squared(relative_quantity(common));

    std::vector<double> residual(n);
    for (std::size_t a = 0; a < n; ++a) residual[a] = values[a] - mean;
    if (n > 1 && mean != 0.0) {
        const auto solved = analysis::solve_symmetric(relative, residual);
        if (solved)
            for (std::size_t a = 0; a < n; ++a)
                out.lines_chi2 += residual[a] * (*solved)[a] / mean2;
    }
    out.activity = mean;
    out.d_activity = std::sqrt(out.budget.total());
    out.lines_used = static_cast<int>(n);
    out.valid = true;
    return out;
}

double chi2_quantile(double p, int dof) {
    if (dof <= 0) return 0.0;
    const double z = normal_quantile(p);
    const double a = 2.0 / (9.0 * dof);
    return dof * std::pow(std::max(0.0, 1.0 - a + z * std::sqrt(a)), 3);
}

NuclideActivity combine_consistent_lines(const std::vector<LineActivity>& activities,
                                         const std::vector<LineMeasurement>& lines,
                                         const EfficiencyCurve& curve, const CommonFactors& common,
                                         const ConsistencyRule& rule) {
    std::vector<LineActivity> kept = activities;
    std::vector<double> excluded;
    NuclideActivity mean = combine_lines(kept, lines, curve, common);
    while (mean.valid && mean.lines_used > 2) {
        // Each line's variance about the mean: its own, less the mean's (the mean is
        // made of it), without the terms common to all lines (decay, quantity).
        const double mean_variance = mean.budget.counting + mean.budget.emission +
                                     mean.budget.efficiency + mean.budget.corrections;
        int worst = -1;
        double worst_residual = rule.max_residual;
        for (std::size_t i = 0; i < kept.size() && i < lines.size(); ++i) {
            if (!kept[i].usable) continue;
            const LineMeasurement& line = lines[i];
            const double relative =
                squared(line.d_area / line.net_area) +
                squared(line.d_emission_probability / line.emission_probability) +
                squared(line.correction_relative_uncertainty) +
                log_efficiency_covariance(curve, line.energy_kev, line.energy_kev);
            const double variance = relative * mean.activity * mean.activity - mean_variance;
            if (!(variance > 0.0)) continue;
            const double residual =
                std::fabs(kept[i].activity - mean.activity) / std::sqrt(variance);
            if (residual > worst_residual) {
                worst_residual = residual;
                worst = static_cast<int>(i);
            }
        }
        if (worst < 0) break;
        kept[static_cast<std::size_t>(worst)].usable = false;
        excluded.push_back(kept[static_cast<std::size_t>(worst)].energy_kev);
        mean = combine_lines(kept, lines, curve, common);
    }
    mean.excluded_kev = excluded;
    const int dof = mean.lines_used - 1;
    if (mean.valid && dof >= 1 && mean.lines_chi2 > chi2_quantile(rule.chi2_probability, dof)) {
        const double scale2 = mean.lines_chi2 / dof;
        mean.uncertainty_scale = std::sqrt(scale2);
        // The lines' own terms; decay and quantity are common to them and not in the scatter.
        for (double* term : {&mean.budget.counting, &mean.budget.efficiency, &mean.budget.emission,
                             &mean.budget.corrections})
            *term *= scale2;
        mean.d_activity = std::sqrt(mean.budget.total());
    }
    return mean;
}

}  // namespace sorvane::activity
