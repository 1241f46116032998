#pragma once

#include <span>
#include <string>

#include "analyse_spectrum.h"
#include "res_writer.h"

namespace sorvane {

// B.svg: the picture the window's result view draws of B.res at full view, drawn
// from the result's own text so that the two cannot differ.
std::string plot_svg(const std::string& name, const SpectrumFacts& facts,
                     const analysis::AnalysisOptions& options, const SpectrumAnalysis& analysis,
                     std::span<const double> counts);

}  // namespace sorvane
