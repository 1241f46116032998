#pragma once

#include <span>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/region_fit.h"
#include "pipeline/analyse_spectrum.h"

namespace sorvane {

// How many standard deviations a weak candidate fitted on its own needs, where the
// search's filter alone would miss it. The filter spreads a peak's counts over the whole kernel, so
// a line at its detection limit shows only a few standard deviations there, while the fit's area
// tells it well; one more than half the sensitivity, and at least 4, keeps chance peaks of a whole
// spectrum's search rare (about one in twenty spectra at the default 6).
double weak_line_significance(double sensitivity);

// How far down the search looks for weak candidates: half the sensitivity, never
// below 3 (beneath it chance candidates multiply and none would pass the fit); the
// sensitivity itself when there is no room below it.
double weak_search_floor(double sensitivity);

// The weak candidates (channels the search found below the sensitivity) that stand
// clear of every region already fitted, grouped into regions of their own and fitted
// as they stand: they never change the fit of a stronger line. The caller reports
// their peaks with weak_line_significance.
std::vector<analysis::RegionResult> fit_weak_candidates(std::span<const double> counts,
                                                        const std::vector<double>& weak,
                                                        analysis::RegionSettings settings,
                                                        bool tails, const SpectrumAnalysis& out);

}  // namespace sorvane
