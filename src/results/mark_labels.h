#pragma once

#include <optional>
#include <vector>

#include "results/plot_axes.h"
#include "results/plot_picture.h"

namespace sorvane {

// A mark's number on the plot: its box in pixels and the point of the peak it
// names (the leader line runs from the box to it).
struct PlacedLabel {
    std::size_t mark = 0;  // index into the picture's marks
    PixelBox box;
    double anchor_x = 0.0;
    double anchor_y = 0.0;
};

// Size of a label's text: width per digit and height, in pixels.
struct LabelFont {
    double digit_width = 7.0;
    double height = 14.0;
};

// Numbers of the marks within x, each just above its peak or, where that place is
// taken, higher up, so that no two overlap; a number that finds no free place in
// the plot area is left out (the view is too crowded; zooming in shows it).
std::vector<PlacedLabel> place_labels(const PlotPicture& picture, const AxisMapping& mapping,
                                      Range x, LabelFont font);

// The mark whose label or peak line is under the pixel (within `reach` pixels of
// the line), the nearest one when several are.
std::optional<std::size_t> mark_at(const std::vector<PlacedLabel>& labels, double px, double py,
                                   double reach);

}  // namespace sorvane
