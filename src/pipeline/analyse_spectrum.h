#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/calibration.h"
#include "analysis/region_fit.h"

namespace sorvane {

// A fitted peak as the result file reports it.
struct ReportedPeak {
    analysis::FittedPeak fit;
    double energy = 0.0;
    double d_energy = 0.0;
    double fwhm_kev = 0.0;
    bool converged = true;    // the region's fit
    std::string flags = "-";  // letters of the flag table, "-" for none
    int pair_with = 0;        // number (1-based) of the other member of an unresolved pair, or 0
};

struct SpectrumAnalysis {
    analysis::EnergyCalibration energy;
    analysis::WidthCalibration width;         // after any refinement
    analysis::WidthCalibration points_width;  // the line through the user's FWHM points
    int first = 0;                            // analysed range
    int last = -1;
    std::vector<ReportedPeak> peaks;  // in channel order
    std::vector<analysis::RegionResult> regions;
    std::vector<std::string> messages;
};

// Finds and fits the peaks of one spectrum; every problem is a message, never an
// exception.
SpectrumAnalysis analyse_spectrum(std::span<const double> counts,
                                  std::span<const float> energy_terms,
                                  const analysis::AnalysisOptions& options);

}  // namespace sorvane
