#include "results/summing_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "corrections/coincidence_summing.h"

namespace sorvane {
namespace {

// d ln eff / d ln E of the curve at `energy_kev`.
double log_slope(const activity::EfficiencyCurve& curve, double energy_kev) {
    const double x = std::log(energy_kev / curve.reference_energy_kev);
    double slope = 0.0, power = 1.0;
    for (std::size_t k = 1; k < curve.coefficients.size(); ++k) {
        slope += static_cast<double>(k) * curve.coefficients[k] * power;
        power *= x;
    }
    return slope;
}

// The curve's own relative uncertainty, averaged over its points: taken as the peak
// efficiency's in the factors' uncertainty.
double mean_relative_uncertainty(const activity::EfficiencyCurve& curve) {
    if (curve.fitted.empty()) return 0.0;
    double sum = 0.0;
    for (const activity::EfficiencyPoint& p : curve.fitted)
        sum += activity::evaluate_efficiency(curve, p.energy_kev).relative_uncertainty;
    return sum / static_cast<double>(curve.fitted.size());
}

std::string line_name(const activity::EfficiencyPoint& p) {
    char text[80];
    std::snprintf(text, sizeof text, "%s %.1f keV", p.nuclide.c_str(), p.energy_kev);
    return text;
}

// Each point's factor from `curve`; returns the largest change of a factor.
double update_factors(const activity::EfficiencyCurve& curve, const SummingInputs& summing,
                      std::vector<SummedPoint>& points) {
    corrections::DetectorEfficiencies detector;
    detector.peak = [&curve](double e) { return extended_efficiency(curve, e); };
    detector.total = [&curve, &summing](double e) {
        return extended_efficiency(curve, e) /
               corrections::peak_to_total_at(summing.peak_to_total, e);
    };
    detector.peak_relative_uncertainty = mean_relative_uncertainty(curve);
    detector.total_relative_uncertainty = summing.peak_to_total.relative_uncertainty;
    double change = 0.0;
    std::string done;
    std::vector<corrections::LineSummingFactor> factors;
    for (SummedPoint& p : points) {
        const corrections::Cascade* cascade = summing.cascades.find(p.point.nuclide);
        if (!cascade) continue;
        if (done != p.point.nuclide) {
            factors = summing.cells
                          ? corrections::summing_factors(*cascade, detector, *summing.cells)
                          : corrections::summing_factors(*cascade, detector);
            done = p.point.nuclide;
        }
        const corrections::LineSummingFactor* f =
            corrections::factor_near(factors, p.point.energy_kev, summing_line_match_kev);
        if (!f || !(f->factor > 0.0)) continue;
        change = std::max(change, std::fabs(f->factor - p.factor));
        p.factor = f->factor;
        p.d_factor = f->d_factor;
        p.corrected = true;
    }
    return change;
}

std::vector<activity::EfficiencyPoint> corrected(const std::vector<activity::EfficiencyPoint>& raw,
                                                 std::vector<SummedPoint>& points) {
    std::vector<activity::EfficiencyPoint> out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        activity::EfficiencyPoint p = raw[i];
        const double f = points[i].factor;
        p.efficiency = raw[i].efficiency / f;
        p.d_efficiency = p.efficiency * std::hypot(raw[i].d_efficiency / raw[i].efficiency,
                                                   points[i].d_factor / f);
        points[i].point = p;
        out.push_back(p);
    }
    return out;
}

}  // namespace

double extended_efficiency(const activity::EfficiencyCurve& curve, double energy_kev) {
    const double end = std::clamp(energy_kev, curve.energy_min_kev, curve.energy_max_kev);
    const double at_end = activity::evaluate_efficiency(curve, end).efficiency;
    if (end == energy_kev || !(energy_kev > 0.0)) return at_end;
    // Below the curve the window and dead layer take photons away: a curve that still
    // rises toward low energy at its end is held there, not carried on up.
    const double slope = log_slope(curve, end);
    if (energy_kev < end && slope < 0.0) return at_end;
    return at_end * std::pow(energy_kev / end, slope);
}

SummedFit fit_with_summing(const std::vector<activity::EfficiencyPoint>& points, int order,
                           const std::string& standard, const SummingInputs& summing) {
    SummedFit out;
    out.points.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) out.points[i].point = points[i];
    out.fit = activity::fit_efficiency(points, order, standard);
    while (out.fit.problem.empty() && out.rounds < summing_rounds && !out.settled) {
        ++out.rounds;
        out.last_change = update_factors(out.fit.curve, summing, out.points);
        out.settled = out.last_change < summing_factor_tolerance;
        out.fit = activity::fit_efficiency(corrected(points, out.points), order, standard);
    }
    for (const SummedPoint& p : out.points) {
        if (p.corrected) continue;
        const bool known = summing.cascades.find(p.point.nuclide) != nullptr;
        const std::string name = known ? line_name(p.point) : p.point.nuclide;
        if (std::find(out.uncorrected.begin(), out.uncorrected.end(), name) ==
            out.uncorrected.end())
            out.uncorrected.push_back(name);
    }
    return out;
}

}  // namespace sorvane
