#pragma once

#include <span>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/calibration.h"
#include "analysis/region_curve.h"
#include "analysis/regions.h"

namespace sorvane::analysis {

struct RegionSettings {
    WidthCalibration width;
    PeakShape shape = PeakShape::gauss_exp;
    double bkg_shape = 10.0;
    double tail = 5.0;  // k used where the tail is not fitted
    // k of the high-energy tail where it is not fitted (pile-up gives every line of a
    // spectrum one), 0 for none; Gauss+exp only.
    double high_tail = 0.0;
    double high_share = 1.0;  // the part of each line that has it
    double sensitivity = 6.0;
    int smoothing_points = 5;
    bool search_residuals = true;  // look for members the search missed (auto search)
    bool free_width = false;       // width free however weak the peaks (measuring widths)
    // Measuring the spectrum's shape: a strong line keeps its own low tail untested,
    // and a high tail that pays is told (high_tail_fitted, high_tail) but not kept in
    // the fit: in a spectrum of unresolved pairs a weaker member above would make the
    // widths narrow. The caller pools the lines' tails into the spectrum's.
    bool pool_tails = false;
    bool split_pairs = true;  // try each peak as an unresolved pair (auto search)
    // Channel ranges of lines broader than the calibration by nature (the Doppler-
    // broadened annihilation line), which are never split into pairs.
    std::vector<std::pair<double, double>> broad_lines;
};

struct FittedPeak {
    double centroid = 0.0;
    double d_centroid = 0.0;
    double area = 0.0;
    double d_area = 0.0;
    double fwhm = 0.0;  // channels
    double d_fwhm = 0.0;
    double tail = 0.0;        // k, 0 for a pure Gaussian
    double high_tail = 0.0;   // k of the high-energy tail, 0 for none
    double high_share = 1.0;  // the part of the line's counts that has it
    double background = 0.0;  // background counts within centroid +- 1.5 FWHM
    double reduced_deviance = 0.0;
    bool manual = false;
    bool multiplet = false;
    bool width_fixed = true;
    bool tail_fitted = false;
    bool high_tail_fitted = false;
    bool tails_tried = false;  // strong and apart enough for its own tails to be tried
};

struct RegionResult {
    int first = 0;
    int last = 0;
    std::vector<FittedPeak> peaks;
    std::vector<double> model;       // expected counts, first..last
    std::vector<double> background;  // its background part
    double reduced_deviance = 0.0;
    bool converged = false;
    RegionCurve curve;  // the fitted parameters, to draw the model again
};

// Fits one region of the raw counts; a tail of its own on either side is kept where
// it gains more than it costs, peaks that vanish are dropped (manual ones kept)
// and, with search_residuals, up to two members hidden in the residuals added
// and (split_pairs) each strong automatic peak tried as an unresolved pair.
RegionResult fit_region(std::span<const double> counts, const Region& region,
                        const RegionSettings& settings);

// The reporting rule: an area of at least pkf_sens / 2 standard deviations;
// manual peaks always.
bool reported(const FittedPeak& peak, double sensitivity);

}  // namespace sorvane::analysis
