#pragma once

#include <optional>
#include <span>

#include "analysis/calibration.h"

namespace sorvane::analysis {

// The width of one line read at half height from the counts alone.
struct HalfHeightWidth {
    double top = 0.0;     // channel of the highest count
    double fwhm = 0.0;    // channels between the two half-height crossings
    double height = 0.0;  // top count above the feet's level
    double feet = 0.0;    // level of the counts where the line ends on either side
};

// Reads a line's width without any width calibration: from the highest channel
// near `channel` the counts (a running mean of three) are followed downhill on both
// sides to where they stop falling; half way between that level and the top the
// width is read by linear interpolation. Nothing when the line is not clearly above
// its feet or its two halves differ so much that it is no lone line.
std::optional<HalfHeightWidth> half_height_width(std::span<const double> counts, double channel);

// Widths read from the spectrum alone, as `shape` scaled to the lines read.
struct SpectrumWidths {
    // From the lower third of the lines' ratios, since unresolved doublets, escapes and
    // Doppler lines only widen: the start the fit refines.
    WidthCalibration start;
    // From their median, which a single odd line (a pulser, a spike, a weak line read
    // in its noise) cannot pull: the widths where the fit cannot refine any.
    WidthCalibration typical;
};

// A first width calibration taken from the spectrum alone: the peak search is run
// at trial widths from 1.5 to 12 channels (the shape of `shape`, the user's
// FWHM points, scaled to each), the widths of the strongest lines it finds are read
// at half height, and `shape` is scaled to their ratios to it.
// Because the trials do not depend on the scale of `shape`, points off by any factor
// give the same start. Nothing when fewer than three lines can be read.
std::optional<SpectrumWidths> width_from_spectrum(std::span<const double> counts, int first,
                                                  int last, const WidthCalibration& shape,
                                                  int smoothing_points);

}  // namespace sorvane::analysis
