#include "results/svg_picture.h"

#include <cstdio>

#include "platform/text_helpers.h"
#include "results/mark_labels.h"
#include "results/plot_view.h"

namespace sorvane {
namespace {

constexpr PixelBox plot_area{80.0, 50.0, svg_width - 80.0 - 20.0, svg_height - 50.0 - 70.0};
constexpr double font = svg_smallest_font;
constexpr const char* counts_colour = "#707070";
constexpr const char* fit_colour = "#d02020";
constexpr const char* background_colour = "#2060c0";

std::string num(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string text_at(double x, double y, std::string_view text, std::string_view anchor,
                    double size = font, std::string_view extra = {}) {
    return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + num(size) +
           "\" text-anchor=\"" + std::string(anchor) + "\"" + std::string(extra) + ">" +
           markup_text(text) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, std::string_view colour,
                 double width = 1.0) {
    return "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
           num(y2) + "\" stroke=\"" + std::string(colour) + "\" stroke-width=\"" + num(width) +
           "\"/>\n";
}

std::string polyline(const std::vector<PlotPoint>& points, std::string_view colour, double width) {
    if (points.empty()) return {};
    std::string out = "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
                      "\" stroke-width=\"" + num(width) + "\" points=\"";
    for (const PlotPoint& p : points) out += num(p.x) + "," + num(p.y) + " ";
    out.back() = '"';
    return out + "/>\n";
}

std::string axes(const PlotPicture& picture, const AxisMapping& mapping, const PlotView& view) {
    const PixelBox& a = plot_area;
    std::string out = "<rect x=\"" + num(a.left) + "\" y=\"" + num(a.top) + "\" width=\"" +
                      num(a.width) + "\" height=\"" + num(a.height) +
                      "\" fill=\"none\" stroke=\"black\"/>\n";
    for (const Tick& tick : linear_ticks(view.x(), 10)) {
        const double x = mapping.px(tick.value);
        out += line(x, a.bottom(), x, a.bottom() + 6, "black");
        out += text_at(x, a.bottom() + 6 + font, tick.label, "middle");
    }
    for (const Tick& tick : log_ticks(view.y())) {
        const double y = mapping.py(tick.value);
        out += line(a.left - (tick.major ? 6 : 3), y, a.left, y, "black");
        if (tick.major) out += text_at(a.left - 9, y + font / 3, tick.label, "end");
    }
    out += text_at(a.left + a.width / 2, svg_height - 14, picture.x_label(), "middle");
    out += text_at(20, a.top + a.height / 2, "Counts per channel", "middle", font,
                   " transform=\"rotate(-90 20 " + num(a.top + a.height / 2) + ")\"");
    return out;
}

std::string legend() {
    const double right = plot_area.right() - 10;
    const double top = plot_area.top + 8;
    std::string out;
    const struct {
        const char* name;
        const char* colour;
    } entries[] = {
        {"spectrum", counts_colour}, {"fit", fit_colour}, {"background", background_colour}};
    double y = top + font;
    for (const auto& entry : entries) {
        out += line(right - 130, y - font / 3, right - 100, y - font / 3, entry.colour, 2.0);
        out += text_at(right - 94, y, entry.name, "start");
        y += font + 4;
    }
    return out;
}

}  // namespace

std::string picture_svg(const PlotPicture& picture) {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(svg_width) +
                      "\" height=\"" + num(svg_height) + "\" viewBox=\"0 0 " + num(svg_width) +
                      " " + num(svg_height) + "\" font-family=\"sans-serif\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += text_at(plot_area.left, 30, picture.title, "start", 16.0);
    if (!picture.has_counts() && picture.fits.empty()) {
        svg += text_at(svg_width / 2, svg_height / 2, "no spectrum to show", "middle");
        return svg + "</svg>\n";
    }
    const PlotView view(picture);
    const AxisMapping mapping(view.x(), view.y(), true, plot_area);
    svg += axes(picture, mapping, view);
    svg += polyline(trace(picture, {0, picture.counts}, mapping, view.x()), counts_colour, 1.0);
    for (const ChannelCurve& curve : picture.backgrounds)
        svg += polyline(trace(picture, curve, mapping, view.x()), background_colour, 1.2);
    for (const ChannelCurve& curve : picture.fits)
        svg += polyline(trace(picture, curve, mapping, view.x()), fit_colour, 1.2);
    for (const PlacedLabel& label : place_labels(picture, mapping, view.x(), {font * 0.6, font})) {
        svg += line(label.anchor_x, label.box.bottom(), label.anchor_x, label.anchor_y, "#404040",
                    0.6);
        svg += text_at(label.box.left + label.box.width / 2, label.box.bottom() - 2,
                       mark_text(picture.marks[label.mark]), "middle");
    }
    svg += legend();
    return svg + "</svg>\n";
}

}  // namespace sorvane
