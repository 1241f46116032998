#pragma once

#include <string>
#include <vector>

namespace sorvane::activity {

// One full-energy-peak efficiency of a standard's line.
struct EfficiencyPoint {
    std::string nuclide;
    double energy_kev = 0.0;
    double efficiency = 0.0;
    double d_efficiency = 0.0;  // standard uncertainty
    // The part of d_efficiency / efficiency every point of the same nuclide shares
    // (its certified activity): the fit takes those points as correlated by it.
    double common_relative = 0.0;
    // The part every point of the fit shares, whatever its nuclide: a mixed standard
    // whose activities were certified as one preparation; never more than
    // common_relative. 0: the nuclides' errors are independent of each other.
    double standard_relative = 0.0;
};

// ln(eff) = sum_k a_k x^k with x = ln(E / reference_energy_kev): centring ln E keeps
// the normal equations of a fifth-order fit well conditioned.
struct EfficiencyCurve {
    int order = 0;  // 2..5
    double reference_energy_kev = 1.0;
    std::vector<double> coefficients;  // a_0 .. a_order
    std::vector<double> covariance;    // (order+1)^2, row-major, of the coefficients
    double chi2_reduced = 0.0;
    int points = 0;
    double energy_min_kev = 0.0;  // the points' range: outside it the curve is not used
    double energy_max_kev = 0.0;
    std::string standard;                 // the source it came from
    std::vector<EfficiencyPoint> fitted;  // the points themselves, kept with the curve
};

inline constexpr int lowest_efficiency_order = 2;
inline constexpr int highest_efficiency_order = 5;

struct EfficiencyFit {
    EfficiencyCurve curve;
    std::string problem;  // empty when the curve was fitted
};

// Generalised least squares of ln(eff) on ln(E/E_ref): the points' covariance in
// ln eff holds (d_eff/eff)^2 on the diagonal, common_i common_j between points of
// one nuclide and standard_i standard_j between points of different nuclides, so a standard's
// activity error, shared by all its lines, is not averaged away. The covariance is that of the
// points' stated uncertainties (not scaled by chi^2); E_ref is the geometric mean of the points'
// energies.
EfficiencyFit fit_efficiency(const std::vector<EfficiencyPoint>& points, int order,
                             const std::string& standard);

struct EfficiencyValue {
    double efficiency = 0.0;
    double relative_uncertainty = 0.0;  // u(ln eff), from the coefficients' covariance
    bool inside_range = false;          // within energy_min_kev..energy_max_kev
};

EfficiencyValue evaluate_efficiency(const EfficiencyCurve& curve, double energy_kev);

// cov(ln eff(E1), ln eff(E2)): the lines of one nuclide share the curve's errors.
double log_efficiency_covariance(const EfficiencyCurve& curve, double energy1_kev,
                                 double energy2_kev);

}  // namespace sorvane::activity
