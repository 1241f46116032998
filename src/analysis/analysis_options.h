#pragma once

#include <array>
#include <string>
#include <vector>

namespace sorvane::analysis {

enum class PeakShape { gauss_exp, gauss };

// What "[data]" of the result holds, or a separate B.csv.
enum class RawDataOutput { none, analysed_range, all_channels, csv };

// One row of the "Energy Calib." table: channel, energy (keV), FWHM (channels).
struct CalibrationPoint {
    double channel = 0.0;
    double energy = 0.0;
    double fwhm = 0.0;
};

// The options that steer one analysis, as the front end's option codes give them.
struct AnalysisOptions {
    bool manual_search = false;                    // "PK search": code 0 Auto, 1 Manual
    int smoothing_points = 5;                      // "Smoothing": code 0 -> 5 ch, 1 -> 7 ch
    PeakShape shape = PeakShape::gauss_exp;        // "PK shape": 0 Gauss+exp, 2 Gauss
    bool plot = false;                             // "Fitted data plot": 1 simple plot
    RawDataOutput raw_data = RawDataOutput::none;  // "Raw Data ": 1 none, 0, 2, 4
    bool energy_auto = true;                       // "Energy Calib.": 1 Auto, 0 Manual
    bool cal_area_all = true;                      // "Cal area": 1 All CH, 0 Manual
    double bkg_shape = 10.0;                       // steepness of the step, 0.1..10
    double pkf_sens = 6.0;                         // search threshold in sigmas, 3..8
    double cal_area_from = 0.0;
    double cal_area_to = 0.0;
    CalibrationPoint low{200.0, 100.0, 2.6};
    CalibrationPoint high{4000.0, 2000.0, 3.5};
    std::vector<double> manual_peaks;  // start channels for the manual search
};

// The first seven option codes (0..6) in the order the control file carries them.
using OptionCodes = std::array<int, 7>;

// Reads the codes into the options; an unknown code keeps the default of its group,
// as the front end's buttons do.
void apply_option_codes(AnalysisOptions& options, const OptionCodes& codes);
OptionCodes option_codes(const AnalysisOptions& options);

// bkg_shape and pkf_sens forced into their ranges, as the front end forces them.
AnalysisOptions clamped(AnalysisOptions options);

}  // namespace sorvane::analysis
