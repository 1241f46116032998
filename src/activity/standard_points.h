#pragma once

#include <string>

#include "activity/efficiency_curve.h"

namespace sorvane::activity {

// One line of a standard source's spectrum and what its certificate says.
struct StandardLine {
    std::string nuclide;
    double energy_kev = 0.0;
    double net_area = 0.0;
    double d_area = 0.0;
    double live_time_s = 0.0;
    double real_time_s = 0.0;
    double certified_activity_bq = 0.0;  // at the certificate's date
    double d_certified_activity_bq = 0.0;
    double start_after_certificate_s = 0.0;  // spectrum start minus certificate date
    double emission_probability = 0.0;       // per decay (not percent)
    double d_emission_probability = 0.0;
    double half_life_s = 0.0;
    double d_half_life_s = 0.0;
};

// eff = N / (A_cert * f * p * t_live), f the decay from the certificate's date to
// the start and over the count; its uncertainty combines the area's, the certified
// activity's, the emission probability's and the half-life's. Lines of one nuclide
// share the certificate's error: it is the point's common_relative, which the fit
// takes as correlated between them.
// Nothing usable (efficiency 0) when an input is missing or not positive.
EfficiencyPoint standard_efficiency_point(const StandardLine& line);

}  // namespace sorvane::activity
