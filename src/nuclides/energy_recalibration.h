#pragma once

#include <span>
#include <vector>

#include "line_library.h"
#include "peak_evidence.h"

namespace sorvane::nuclides {

struct RecalibrationResidual {
    std::size_t peak = 0;  // index into the peaks
    double library_energy = 0.0;
    double residual_kev = 0.0;  // library energy minus the recalibrated one
};

struct Recalibration {
    bool done = false;
    QuadraticEnergy energy;
    std::vector<RecalibrationResidual> residuals;
    double residual_rms_kev = 0.0;
};

// Recalibrates the energy from the spectrum's own strong peaks: strong library lines
// with no other line close by are paired with significant single peaks under the
// linear correction that pairs most of them (the file's calibration may be shifted
// and stretched by a few keV); the unambiguous pairs are fitted, weighted by their
// uncertainties, by a quadratic correction whose stretch and curvature only move as
// far as the lines' spread supports (one line gives an offset), outliers left out,
// and paired again under the result; `top_channel` is the analysed range's last. A
// line anchors only when its nuclide's lines that the peak predicts well above the
// search's reach show too; a nuclide's strongest line anchors however weak. An offset
// from one line is checked against the other significant peaks on credible lines:
// fitted through them when it pushes one off its line, refused when that fit fails
// and it made one worse. Not done when no pair is found.
Recalibration recalibrate_energy(std::span<const PeakEvidence> peaks, const LineLibrary& library,
                                 const QuadraticEnergy& start, double floor_kev,
                                 double top_channel);

}  // namespace sorvane::nuclides
