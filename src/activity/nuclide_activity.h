#pragma once

#include <vector>

#include "activity/decay.h"
#include "activity/efficiency_curve.h"

namespace sorvane::activity {

// A found line of a nuclide: its fitted net area and its library data.
struct LineMeasurement {
    double energy_kev = 0.0;
    double net_area = 0.0;
    double d_area = 0.0;
    double emission_probability = 0.0;             // per decay, times any correction factor
    double d_emission_probability = 0.0;           // from the probability alone
    double correction_relative_uncertainty = 0.0;  // of the correction factors (summing)
};

// What every line of a nuclide in one spectrum shares.
struct CommonFactors {
    double live_time_s = 0.0;  // taken as exact
    DecayCorrection decay;
    double quantity = 1.0;  // sample quantity; 1 for activities per sample
    double d_quantity = 0.0;
};

struct LineActivity {
    double energy_kev = 0.0;
    double activity = 0.0;  // A = N w
    double d_activity = 0.0;
    double conversion = 0.0;                       // w = 1 / (t_live eff p f m), Bq per count
    double conversion_relative_uncertainty = 0.0;  // of eff, p, C, f and m together
    double correction_relative_uncertainty = 0.0;  // of C alone
    bool usable = false;        // an area, an efficiency and a probability above 0
    bool inside_curve = false;  // energy within the efficiency curve's range
};

LineActivity line_activity(const LineMeasurement& line, const EfficiencyCurve& curve,
                           const CommonFactors& common);

// Variances of a nuclide's activity by source; their sum is the activity's variance.
struct UncertaintyBudget {
    double counting = 0.0;
    double efficiency = 0.0;
    double emission = 0.0;
    double half_life = 0.0;
    double quantity = 0.0;
    double corrections = 0.0;  // the summing and self-attenuation factors
    double total() const {
        return counting + efficiency + emission + half_life + quantity + corrections;
    }
};

struct NuclideActivity {
    double activity = 0.0;
    double d_activity = 0.0;
    double lines_chi2 = 0.0;  // of the lines about the mean
    int lines_used = 0;       // degrees of freedom: lines_used - 1
    UncertaintyBudget budget;
    bool valid = false;                // at least one usable line
    std::vector<double> excluded_kev;  // lines left out as inconsistent with the rest
    double uncertainty_scale = 1.0;    // sqrt(chi2 / dof) when the rest still scatter
};

// The generalised least squares mean of the usable lines' activities. Their
// relative covariance holds counting and emission probability on the diagonal and
// the common curve's cov(ln eff_i, ln eff_j) everywhere; it is scaled by the mean,
// not by each line's own value, so that shared relative errors do not pull the
// mean low. Decay and quantity are common to all lines and are added afterwards.
NuclideActivity combine_lines(const std::vector<LineActivity>& activities,
                              const std::vector<LineMeasurement>& lines,
                              const EfficiencyCurve& curve, const CommonFactors& common);

// How far a line may stand from the others' mean (normalised residual) before it is
// left out, and the one-sided probability beyond which the remaining lines' chi^2
// says they scatter more than their uncertainties.
struct ConsistencyRule {
    double max_residual = 3.0;
    double chi2_probability = 0.95;
};

// combine_lines, then while more than two lines are left the line whose normalised
// residual (x_i - mean) / sqrt(u^2(x_i) - u^2(mean)) is largest and above the rule's
// is left out and the mean taken again. When the remaining chi^2 per degree of
// freedom is above its quantile, the lines' budget terms (counting, efficiency,
// emission) are scaled by chi^2 / dof, and uncertainty_scale says by how much.
NuclideActivity combine_consistent_lines(const std::vector<LineActivity>& activities,
                                         const std::vector<LineMeasurement>& lines,
                                         const EfficiencyCurve& curve, const CommonFactors& common,
                                         const ConsistencyRule& rule = {});

// The chi^2 quantile of probability p for dof degrees of freedom (Wilson and
// Hilferty's cube-root approximation, 1931: 2.5 % low at 1 dof, within 1 % from 3 on).
double chi2_quantile(double p, int dof);

}  // namespace sorvane::activity
