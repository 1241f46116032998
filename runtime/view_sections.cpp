#include "view_sections.h"

#include <charconv>
#include <cmath>

#include "res_writer.h"

namespace sorvane {
namespace {

// Enough digits that the curve drawn again matches the fit's to far below a pixel.
std::string exact(double value) {
    char buffer[40];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10).ptr;
    return std::string(buffer, end);
}

// Counts are whole numbers: written as such they cost a tenth of a general number.
void append_count(std::string& text, double count) {
    char buffer[24];
    if (count == std::floor(count) && std::fabs(count) < 1e15) {
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(count)).ptr;
        text.append(buffer, end);
    } else {
        text += number_text(count);
    }
}

}  // namespace

std::string format_view_sections(const SpectrumAnalysis& analysis, std::span<const double> counts) {
    std::string text = "[regions]\r\n";
    for (const auto& region : analysis.regions) {
        const auto& c = region.curve;
        if (c.peaks.empty()) continue;
        text += "region = " + std::to_string(c.first) + " " + std::to_string(c.last) + " " +
                exact(c.level) + " " + exact(c.slope) + " " + exact(c.bkg_shape) + "\r\n";
        for (const auto& p : c.peaks)
            text += "peak = " + exact(p.centroid) + " " + exact(p.area) + " " + exact(p.sigma) +
                    " " + exact(p.tail) + " " + exact(p.step) + " " + exact(p.step_sigma) + "\r\n";
    }
    text += "[counts]\r\n";
    text.reserve(text.size() + counts.size() * 7);
    constexpr std::size_t per_line = 16;
    for (std::size_t first = 0; first < counts.size(); first += per_line) {
        text += std::to_string(first);
        for (std::size_t ch = first; ch < counts.size() && ch < first + per_line; ++ch) {
            text += ' ';
            append_count(text, counts[ch]);
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace sorvane
