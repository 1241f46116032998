#pragma once

#include <span>
#include <vector>

namespace sorvane::analysis {

// Weights of the quadratic Savitzky-Golay smoothing over 5 or 7 channels (any
// other width gives the 5-channel one); they add up to 1.
std::vector<double> savitzky_golay_weights(int points);

// Smoothed counts; near the ends the window is mirrored inside the spectrum.
std::vector<double> smooth(std::span<const double> counts, int points);

}  // namespace sorvane::analysis
