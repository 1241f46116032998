#pragma once

#include <span>
#include <string>

#include "analyse_spectrum.h"

namespace sorvane {

// B.svg: the counts of the analysed range on a log scale, the fitted model, its
// background, and a numbered mark at every reported peak.
std::string plot_svg(const std::string& title, const SpectrumAnalysis& analysis,
                     std::span<const double> counts);

}  // namespace sorvane
