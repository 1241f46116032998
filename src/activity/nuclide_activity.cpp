#include "activity/nuclide_activity.h"

#include <cmath>

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
    const double product = common.live_time_s * eff.efficiency * line.emission_probability *
                           common.decay.factor * common.quantity;
    if (!(product > 0.0) || !std::isfinite(product)) return out;
    out.conversion = 1.0 / product;
    const double u_p = line.d_emission_probability / line.emission_probability;
    out.conversion_relative_uncertainty =
        std::sqrt(squared(eff.relative_uncertainty) + squared(u_p) +
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

    // Relative covariance by source: diagonal counting and emission, full efficiency.
    std::vector<double> counting(n), emission(n), values(n);
    analysis::Matrix efficiency(n, n), relative(n, n);
    for (std::size_t a = 0; a < n; ++a) {
        const LineMeasurement& line = lines[used[a]];
        values[a] = activities[used[a]].activity;
        counting[a] = squared(line.d_area / line.net_area);
        emission[a] = squared(line.d_emission_probability / line.emission_probability);
        for (std::size_t b = 0; b < n; ++b) {
            efficiency(a, b) =
                log_efficiency_covariance(curve, line.energy_kev, lines[used[b]].energy_kev);
            relative(a, b) = efficiency(a, b) + (a == b ? counting[a] + emission[a] : 0.0);
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

}  // namespace sorvane::activity
