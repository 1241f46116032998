#pragma once

// The correction of a spectrum's energy scale fitted through its anchor pairs.

#include <cstddef>
#include <vector>

#include "peak_evidence.h"

namespace sorvane::nuclides::recalibration {

// A peak paired with a listed line.
struct Anchor {
    std::size_t peak;
    double channel;
    double d_channel;
    double start_energy;  // under the file's calibration
    double line_energy;
    double d_line;
};

// The curvature the file's calibration is held to (keV at the top of the range).
inline constexpr double held_curvature_kev = 0.3;

// Weighted least squares of the correction line - start = d0 + d1 x + d2 x^2, x the
// channel over the top of the analysed range, with a prior on each term: the file's
// calibration is a measurement too. The offset is free, the stretch held to 0.1 % of
// the top energy (a gain's drift between calibrations) and the curvature to 0.3 keV at
// the top unless lines spread over the range call for more; so a few bunched lines never
// extrapolate wildly, and one line gives an offset.
bool fit_correction(const std::vector<Anchor>& anchors, const QuadraticEnergy& start,
                    double top_channel, QuadraticEnergy& out,
                    double curvature_prior_kev = held_curvature_kev);

}  // namespace sorvane::nuclides::recalibration
