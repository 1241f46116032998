#pragma once

#include <algorithm>
#include <cmath>

#include "corrections/coincidence_summing.h"

namespace sorvane::bench {

// An invented HPGe detector, for synthetic cascades only: the total efficiency of a
// source on the end cap falls slowly with energy and is cut below 60 keV by the
// window; the peak-to-total ratio falls from 0.9 near 100 keV to 0.2 near 1.3 MeV, as
// coaxial detectors of 20-40 % relative efficiency do. `distance_scale` < 1 moves the
// source away (both efficiencies scale alike).
inline corrections::DetectorEfficiencies invented_detector(double distance_scale) {
    const auto total = [distance_scale](double e) {
        const double window = 1.0 - std::exp(-std::pow(e / 25.0, 3.0));
        return distance_scale * 0.25 * std::pow(e / 300.0, -0.35) * window;
    };
    const auto peak_to_total = [](double e) {
        return std::min(0.95, 0.9 * std::pow(std::max(e, 30.0) / 100.0, -0.55));
    };
    return {[=](double e) { return total(e) * peak_to_total(e); }, total, 0.0, 0.0};
}

// The same kind of detector with smooth curves, for spectra the runtime analyses:
// its curves must follow the detector within the runtime's orders (ln eff of order
// 5, ln P/T of order 3), so a gentler window and a peak-to-total without a cap that
// nears 1 at low energy, as photoabsorption takes over in germanium:
// P/T = 1 / (1 + E / 300 keV), 0.96 at 14 keV, 0.75 at 100 keV and 0.18 at 1332 keV.
// (A partial deposit of a K X-ray is below 1 keV and lands in the peak of the photon
// it sums with, so a P/T well below 1 there would put counts in that peak that the
// model counts as lost.)
inline corrections::DetectorEfficiencies smooth_detector(double distance_scale) {
    const auto total = [distance_scale](double e) {
        const double window = 1.0 - std::exp(-std::pow(e / 20.0, 2.0));
        return distance_scale * 0.25 * std::pow(e / 300.0, -0.35) * window;
    };
    const auto peak_to_total = [](double e) { return 1.0 / (1.0 + e / 300.0); };
    return {[=](double e) { return total(e) * peak_to_total(e); }, total, 0.0, 0.0};
}

}  // namespace sorvane::bench
