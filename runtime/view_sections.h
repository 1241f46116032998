#pragma once

#include <span>
#include <string>

#include "analyse_spectrum.h"

namespace sorvane {

// The sections a result view needs to draw the spectrum and its fit without
// analysing again (CR LF lines):
//   [regions]  "region = first last level slope bkg_shape" for each fitted region,
//              then "peak = centroid area sigma tail step step_sigma" for each of
//              its peaks (the fit's parameters, as analysis::RegionCurve holds them)
//   [counts]   "first c c c ..." lines of 16 channels' counts, every channel
std::string format_view_sections(const SpectrumAnalysis& analysis, std::span<const double> counts);

}  // namespace sorvane
