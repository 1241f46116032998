#include "peak_evidence.h"

#include <algorithm>
#include <cmath>

namespace sorvane::nuclides {

double QuadraticEnergy::d_energy(double channel) const {
    const double j[3] = {1.0, channel, channel * channel};
    double variance = 0.0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) variance += j[r] * covariance[r][c] * j[c];
    return std::sqrt(std::max(0.0, variance));
}

double QuadraticEnergy::channel(double energy) const {
    double ch = c1 != 0.0 ? (energy - c0) / c1 : 0.0;
    for (int i = 0; i < 20; ++i) {  // Newton steps from the linear guess
        const double s = slope(ch);
        if (s == 0.0) break;
        const double step = (this->energy(ch) - energy) / s;
        ch -= step;
        if (std::fabs(step) < 1e-9) break;
    }
    return ch;
}

double match_tolerance(double d_peak_kev, double d_calibration_kev, double d_line_kev,
                       double floor_kev) {
    constexpr double sigmas = 3.0;
    const double combined = std::sqrt(
        d_peak_kev * d_peak_kev + d_calibration_kev * d_calibration_kev + d_line_kev * d_line_kev);
    return std::max(floor_kev, sigmas * combined);
}

}  // namespace sorvane::nuclides
