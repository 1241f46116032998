#pragma once

#include <vector>

#include "analysis/calibration.h"

namespace sorvane::analysis {

struct PeakStart {
    double channel = 0.0;
    bool manual = false;
};

// Channels first..last fitted together, and the peaks in them.
struct Region {
    int first = 0;
    int last = 0;
    std::vector<PeakStart> peaks;
};

// Peaks closer than four FWHM share a region; a region reaches three FWHM beyond
// its outer peaks (one more on the low side when tails are fitted), stops two
// FWHM short of a neighbouring region's peak and stays inside first..last; a
// region holds at most twelve peaks.
std::vector<Region> group_regions(std::vector<PeakStart> peaks, const WidthCalibration& width,
                                  int first, int last, bool tails);

}  // namespace sorvane::analysis
