#pragma once

#include <string>

#include "results/plot_picture.h"

namespace sorvane {

// The picture as an SVG page: counts on a log scale over the shown channels, axes
// with ticks and units, a legend, the model and background over each region, the
// marks' numbers placed without overlap, the title above. Sized so that no text is
// smaller than 8 pt when the page is printed at A4 width.
std::string picture_svg(const PlotPicture& picture);

// The page's width in SVG units and its smallest font size (for the 8 pt rule).
inline constexpr double svg_width = 960.0;
inline constexpr double svg_height = 560.0;
inline constexpr double svg_smallest_font = 14.0;

}  // namespace sorvane
