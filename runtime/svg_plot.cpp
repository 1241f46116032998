#include "svg_plot.h"

#include <algorithm>
#include <cmath>

#include "res_writer.h"

namespace sorvane {
namespace {

constexpr double width = 1200.0;
constexpr double height = 600.0;
constexpr double margin = 50.0;

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

struct Axes {
    int first;
    int last;
    double top;  // log10 of the largest count

    double x(double channel) const {
        return margin + (channel - first) / std::max(1, last - first) * (width - 2 * margin);
    }
    double y(double value) const {
        const double level = std::log10(std::max(value, 0.5)) - std::log10(0.5);
        const double range = top - std::log10(0.5);
        return height - margin - level / std::max(range, 1e-9) * (height - 2 * margin);
    }
};

std::string polyline(const Axes& axes, const std::vector<double>& values, std::string_view colour) {
    std::string out;
    std::string points;
    auto flush = [&] {
        if (!points.empty())
            out += "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
                   "\" stroke-width=\"1\" points=\"" + points + "\"/>\n";
        points.clear();
    };
    for (int ch = axes.first; ch <= axes.last; ++ch) {
        const double v = values[static_cast<std::size_t>(ch)];
        if (std::isnan(v)) {
            flush();
            continue;
        }
        points += number_text(axes.x(ch)) + "," + number_text(axes.y(v)) + " ";
    }
    flush();
    return out;
}

}  // namespace

std::string plot_svg(const std::string& title, const SpectrumAnalysis& analysis,
                     std::span<const double> counts) {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1200\" height=\"600\">\n";
    svg += "<rect width=\"1200\" height=\"600\" fill=\"white\"/>\n";
    svg += "<text x=\"50\" y=\"30\" font-family=\"sans-serif\" font-size=\"16\">" + escape(title) +
           "</text>\n";
    if (analysis.last < analysis.first || counts.empty()) return svg + "</svg>\n";
    double top = 1.0;
    for (int ch = analysis.first; ch <= analysis.last; ++ch)
        top = std::max(top, counts[static_cast<std::size_t>(ch)]);
    const Axes axes{analysis.first, analysis.last, std::log10(top)};
    const std::vector<double> raw(counts.begin(), counts.end());
    const ChannelModel model = channel_model(analysis, counts.size());
    svg += polyline(axes, raw, "#888888");
    svg += polyline(axes, model.background, "#2060c0");
    svg += polyline(axes, model.fit, "#d02020");
    for (std::size_t i = 0; i < analysis.peaks.size(); ++i) {
        const double x = axes.x(analysis.peaks[i].fit.centroid);
        svg += "<line x1=\"" + number_text(x) + "\" y1=\"" + number_text(height - margin) +
               "\" x2=\"" + number_text(x) + "\" y2=\"" + number_text(height - margin + 8) +
               "\" stroke=\"black\"/>\n";
        svg += "<text x=\"" + number_text(x) + "\" y=\"" + number_text(height - margin + 20) +
               "\" font-family=\"sans-serif\" font-size=\"10\" text-anchor=\"middle\">" +
               std::to_string(i + 1) + "</text>\n";
    }
    return svg + "</svg>\n";
}

}  // namespace sorvane
