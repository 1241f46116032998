#pragma once

#include <string>
#include <vector>

namespace sorvane {

struct Range {
    double low = 0.0;
    double high = 1.0;
    double span() const { return high - low; }
    bool contains(double v) const { return v >= low && v <= high; }
};

struct Tick {
    double value;
    std::string label;
    bool major = true;  // a log axis has minor ticks (2..9 times a decade) without label
};

// Ticks at 1, 2 or 5 times a power of ten, about `wanted` of them over the range.
std::vector<Tick> linear_ticks(Range range, int wanted);
// Ticks at the decades of a log axis, with minor ticks between when few decades show.
std::vector<Tick> log_ticks(Range range);

// The smallest count a log axis shows: an empty channel sits just below 1.
inline constexpr double log_floor = 0.5;

// Pixels of the plot area and the mapping of data to them (y grows downwards).
struct PixelBox {
    double left = 0.0;
    double top = 0.0;
    double width = 1.0;
    double height = 1.0;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

class AxisMapping {
public:
    AxisMapping(Range x, Range y, bool log_y, PixelBox box);
    double px(double x) const;
    double py(double count) const;
    double x_at(double pixel) const;
    double count_at(double pixel) const;
    const PixelBox& box() const { return box_; }

private:
    double y_level(double count) const;
    Range x_;
    Range y_;  // in levels: counts, or log10 of counts
    bool log_y_;
    PixelBox box_;
};

}  // namespace sorvane
