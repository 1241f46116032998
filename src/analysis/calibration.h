#pragma once

#include <span>
#include <string>

#include "analysis/analysis_options.h"

namespace sorvane::analysis {

// Energy (keV) of a channel: c0 + c1 ch + c2 ch^2.
struct EnergyCalibration {
    double c0 = 0.0;
    double c1 = 1.0;
    double c2 = 0.0;
    bool from_file = true;

    double energy(double channel) const { return c0 + (c1 + c2 * channel) * channel; }
    double slope(double channel) const { return c1 + 2.0 * c2 * channel; }
};

// Auto: the spectrum file's terms; Manual: the line through the two (CH, Energy)
// points. Points with the same channel give the file's terms and a message.
EnergyCalibration energy_calibration(const AnalysisOptions& options,
                                     std::span<const float> file_terms, std::string& message);

// Peak width in channels: FWHM^2 = a + b ch + c ch^2, never below min_fwhm. A
// calibration fitted to the spectrum's peaks carries the coefficients'
// uncertainties and the number of peaks it used.
struct WidthCalibration {
    double a = 4.0;
    double b = 0.0;
    double c = 0.0;
    bool refined = false;
    double d_a = 0.0;
    double d_b = 0.0;
    double d_c = 0.0;
    int peaks_used = 0;
    static constexpr double min_fwhm = 0.5;

    double fwhm(double channel) const;
    // d FWHM / d channel, zero where the floor holds.
    double fwhm_slope(double channel) const;
};

// How far a peak's width may stand from the calibration the user's FWHM points
// give (a factor either way): the fit's width scale and the refinement stay within it.
inline constexpr double max_width_factor = 3.0;

// The line FWHM^2 = a + b ch through the two (CH, FWHM) points of the options.
WidthCalibration width_calibration(const AnalysisOptions& options);

// One measured width for the refinement.
struct WidthSample {
    double channel;
    double fwhm;
    double d_fwhm;
};

// Robust weighted fit of FWHM^2 over channel to the widths of clean peaks: a line
// (and a curvature where enough peaks over most of the range call for it), started
// from the starting calibration scaled to the narrower samples; samples further from
// it than a relative tolerance (Doppler-broadened lines, unresolved doublets, escape
// peaks) are left out. Samples bunched in a small part of the range give a common
// scale only. The input unchanged when fewer than three samples remain or the
// result is not positive over [first, last] channel.
WidthCalibration refine_width_calibration(const WidthCalibration& start,
                                          std::span<const WidthSample> samples, double first,
                                          double last);

}  // namespace sorvane::analysis
