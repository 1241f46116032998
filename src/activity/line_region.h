#pragma once

#include <span>

namespace sorvane::activity {

// The counts of a line's region at its expected channel: the gross counts over
// +-half_width_fwhm, and the continuum under them from side regions of
// side_width_fwhm each beyond it, fitted as a straight line so that a continuum
// that slopes is interpolated, not averaged.
struct RegionCounts {
    double gross = 0.0;         // n_g
    double background = 0.0;    // n_0
    double d_background = 0.0;  // u(n_0)
    int side_channels = 0;
    bool ok = false;  // the region lies inside the counts and has side channels
};

struct RegionShape {
    double half_width_fwhm = 1.5;
    double side_width_fwhm = 3.0;
};

// Channels within `avoid` FWHM-halves of the centroids in `peaks` (other lines'
// peaks) are left out of the side regions; `first` and `last` bound the channels used.
RegionCounts region_counts(std::span<const double> counts, double channel, double fwhm, int first,
                           int last, std::span<const double> peaks, const RegionShape& shape = {});

}  // namespace sorvane::activity
