#include "activity/standard_points.h"

#include <cmath>

#include "activity/decay.h"

namespace sorvane::activity {

EfficiencyPoint standard_efficiency_point(const StandardLine& line) {
    EfficiencyPoint point;
    point.nuclide = line.nuclide;
    point.energy_kev = line.energy_kev;
    if (!(line.net_area > 0.0) || !(line.live_time_s > 0.0) ||
        !(line.certified_activity_bq > 0.0) || !(line.emission_probability > 0.0))
        return point;
    const DecayCorrection decay = decay_correction(
        {line.half_life_s, line.d_half_life_s, line.start_after_certificate_s, line.real_time_s});
    point.efficiency = line.net_area / (line.certified_activity_bq * decay.factor *
                                        line.emission_probability * line.live_time_s);
    const double relative =
        std::hypot(std::hypot(line.d_area / line.net_area,
                              line.d_certified_activity_bq / line.certified_activity_bq),
                   std::hypot(line.d_emission_probability / line.emission_probability,
                              decay.relative_uncertainty));
    point.d_efficiency = point.efficiency * relative;
    // The certificate's and the decay's errors are the same for every line of the nuclide.
    point.common_relative = std::hypot(line.d_certified_activity_bq / line.certified_activity_bq,
                                       decay.relative_uncertainty);
    return point;
}

}  // namespace sorvane::activity
