#pragma once

#include <span>
#include <vector>

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

// A fitted peak of another nuclide's line near the region.
struct NeighbourPeak {
    double centroid = 0.0;  // channel
    double area = 0.0;
    double d_area = 0.0;
    double fwhm = 0.0;  // channels
    double tail = 0.0;  // the fit's low-energy tail, 0 for a pure Gaussian
};

// The same counts with the neighbours' fitted peaks taken out: their shapes are
// subtracted before the side regions are fitted, so that the sides see the
// continuum, and the share of them inside the region is background, with the
// variance of the fitted areas and of the shape: a fitted profile follows a real
// peak's flank to about neighbour_shape_uncertainty of its counts. The gross counts
// stay the measured ones.
inline constexpr double neighbour_shape_uncertainty = 0.02;
RegionCounts region_counts_beside(std::span<const double> counts, double channel, double fwhm,
                                  int first, int last, std::span<const double> peaks,
                                  std::span<const NeighbourPeak> neighbours,
                                  const RegionShape& shape = {});

}  // namespace sorvane::activity
