#include "results/plot_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorvane {
namespace {

std::string tick_label(double value, double step) {
    char text[32];
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    std::snprintf(text, sizeof text, "%.*f", std::min(decimals, 9), value);
    return text;
}

std::string decade_label(int exponent) {
    if (exponent >= 0 && exponent <= 6) {
        char text[16];
        std::snprintf(text, sizeof text, "%.0f", std::pow(10.0, exponent));
        return text;
    }
    return "1e" + std::to_string(exponent);
}

}  // namespace

std::vector<Tick> linear_ticks(Range range, int wanted) {
    std::vector<Tick> ticks;
    const double span = range.span();
    if (!(span > 0.0) || !std::isfinite(span) || wanted < 1) return ticks;
    const double raw = span / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= raw) break;
    }
    const double start = std::ceil(range.low / step - 1e-9);
    // Bounded: far from zero a step may be too small to move k at all.
    for (double k = start; k * step <= range.high + step * 1e-9 && ticks.size() <= 3u * wanted + 3;
         k += 1.0) {
        const double value = std::abs(k * step) < step * 1e-9 ? 0.0 : k * step;
        ticks.push_back({value, tick_label(value, step), true});
    }
    return ticks;
}

std::vector<Tick> log_ticks(Range range) {
    std::vector<Tick> ticks;
    const double low = std::max(range.low, log_floor);
    if (!(range.high > low)) return ticks;
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::ceil(std::log10(range.high)));
    const bool minors = last - first <= 4;
    for (int e = first; e <= last; ++e) {
        const double decade = std::pow(10.0, e);
        if (decade >= low && decade <= range.high) ticks.push_back({decade, decade_label(e), true});
        if (!minors) continue;
        for (int m = 2; m <= 9; ++m) {
            const double value = m * decade;
            if (value >= low && value <= range.high) ticks.push_back({value, {}, false});
        }
    }
    return ticks;
}

AxisMapping::AxisMapping(Range x, Range y, bool log_y, PixelBox box)
    : x_(x), log_y_(log_y), box_(box) {
    y_ = {y_level(y.low), y_level(y.high)};
    if (!(x_.span() > 0.0)) x_.high = x_.low + 1.0;
    if (!(y_.span() > 0.0)) y_.high = y_.low + 1.0;
}

double AxisMapping::y_level(double count) const {
    return log_y_ ? std::log10(std::max(count, log_floor)) : count;
}

double AxisMapping::px(double x) const {
    return box_.left + (x - x_.low) / x_.span() * box_.width;
}

double AxisMapping::py(double count) const {
    return box_.bottom() - (y_level(count) - y_.low) / y_.span() * box_.height;
}

double AxisMapping::x_at(double pixel) const {
    return x_.low + (pixel - box_.left) / box_.width * x_.span();
}

double AxisMapping::count_at(double pixel) const {
    const double level = y_.low + (box_.bottom() - pixel) / box_.height * y_.span();
    return log_y_ ? std::pow(10.0, level) : level;
}

}  // namespace sorvane
