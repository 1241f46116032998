#include "view_sections.h"

#include <charconv>

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
    constexpr std::size_t per_line = 16;
    for (std::size_t first = 0; first < counts.size(); first += per_line) {
        text += std::to_string(first);
        for (std::size_t ch = first; ch < counts.size() && ch < first + per_line; ++ch)
            text += " " + number_text(counts[ch]);
        text += "\r\n";
    }
    return text;
}

}  // namespace sorvane
