#include "results/plot_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

namespace sorvane {
namespace {

void add_marks(PlotPicture& picture, const ResultModel& result) {
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row) {
        const auto& channel = result.peaks.rows[row].channel;
        if (!channel) continue;
        const auto& number = result.peaks.rows[row].no;
        PlotMark mark;
        mark.number = number && *number >= 0 && *number < 1e6 ? static_cast<int>(*number)
                                                              : static_cast<int>(row + 1);
        mark.channel = *channel;
        mark.row = row;
        mark.nuclide = peak_nuclide(result, row);
        if (picture.xs.empty()) {  // nothing drawn: the mark keeps its channel
            mark.x = *channel;
            picture.marks.push_back(mark);
            continue;
        }
        const double last = static_cast<double>(picture.xs.size() - 1);
        const double at = std::clamp(*channel, 0.0, last);
        const auto ch = static_cast<std::size_t>(at);
        // Between the channels' x, where the centroid falls.
        const std::size_t next = std::min(ch + 1, picture.xs.size() - 1);
        mark.x =
            picture.xs[ch] + (at - static_cast<double>(ch)) * (picture.xs[next] - picture.xs[ch]);
        for (const ChannelCurve& fit : picture.fits)
            for (std::size_t c = ch > 0 ? ch - 1 : 0; c <= ch + 1; ++c)
                if (c >= fit.first && c - fit.first < fit.values.size())
                    mark.apex = std::max(mark.apex, fit.values[c - fit.first]);
        if (mark.apex == 0.0 && ch < picture.counts.size()) mark.apex = picture.counts[ch];
        picture.marks.push_back(mark);
    }
}

// The analysed range when the result names one, else every channel.
std::pair<std::size_t, std::size_t> shown_channels(const ResultModel& result,
                                                   std::size_t channels) {
    const std::vector<double>& range = result.spectrum.analysed_range;
    if (range.size() >= 2) {
        const double first = range[0];
        const double last = range[1];
        if (first >= 0 && last >= first && last < static_cast<double>(channels))
            return {static_cast<std::size_t>(first), static_cast<std::size_t>(last)};
    }
    return {0, channels > 0 ? channels - 1 : 0};
}

}  // namespace

std::string mark_text(const PlotMark& mark) {
    std::string text = std::to_string(mark.number);
    return mark.nuclide.empty() ? text : text + " " + mark.nuclide;
}

std::string picture_title(const ResultModel& result, std::string_view name) {
    std::string title(name);
    const auto& live = result.spectrum.live_time;
    if (live && *live > 0.0) {
        char text[48];
        std::snprintf(text, sizeof text, "live time %g s", *live);
        title += std::string(", ") + text;
    }
    const std::string& start = result.spectrum.start;
    if (!start.empty()) title += ", started " + start;
    return title;
}

PlotPicture make_picture(const ResultModel& result, std::string_view name) {
    PlotPicture picture;
    picture.title = picture_title(result, name);
    picture.counts = result.counts;
    std::size_t channels = picture.counts.size();
    for (const auto& region : result.regions)
        if (region.last >= 0)
            channels = std::max(channels, static_cast<std::size_t>(region.last) + 1);
    const auto terms = energy_terms(result);
    picture.xs.resize(channels);
    for (std::size_t ch = 0; ch < channels; ++ch)
        picture.xs[ch] = terms ? terms->energy(static_cast<double>(ch)) : static_cast<double>(ch);
    // An energy that does not grow with every channel cannot be an axis: channels then.
    picture.energy_axis =
        terms && std::adjacent_find(picture.xs.begin(), picture.xs.end(), [](double a, double b) {
                     return !(b > a);
                 }) == picture.xs.end();
    if (terms && !picture.energy_axis)
        for (std::size_t ch = 0; ch < channels; ++ch) picture.xs[ch] = static_cast<double>(ch);
    for (const auto& region : result.regions) {
        if (region.first < 0 || region.last < region.first) continue;
        const analysis::CurveValues values = analysis::evaluate_curve(region);
        const auto first = static_cast<std::size_t>(region.first);
        picture.fits.push_back({first, values.model});
        picture.backgrounds.push_back({first, values.background});
    }
    std::tie(picture.first_channel, picture.last_channel) = shown_channels(result, channels);
    if (channels > 0)
        picture.whole = {picture.xs[picture.first_channel], picture.xs[picture.last_channel]};
    add_marks(picture, result);
    return picture;
}

std::size_t PlotPicture::channel_at(double x) const {
    if (xs.empty()) return 0;
    const auto above = std::lower_bound(xs.begin(), xs.end(), x);
    if (above == xs.begin()) return 0;
    if (above == xs.end()) return xs.size() - 1;
    const auto below = above - 1;
    return static_cast<std::size_t>((x - *below <= *above - x ? below : above) - xs.begin());
}

double PlotPicture::top_within(Range x) const {
    double top = 0.0;
    auto scan = [&](std::size_t first, const std::vector<double>& values) {
        for (std::size_t i = 0; i < values.size() && first + i < xs.size(); ++i)
            if (x.contains(xs[first + i])) top = std::max(top, values[i]);
    };
    scan(0, counts);
    for (const ChannelCurve& fit : fits) scan(fit.first, fit.values);
    return top;
}

std::vector<PlotPoint> trace(const PlotPicture& picture, const ChannelCurve& curve,
                             const AxisMapping& mapping, Range x) {
    std::vector<PlotPoint> points;
    const std::size_t end = std::min(curve.first + curve.values.size(), picture.xs.size());
    // One channel beyond each end keeps the line running to the plot's edge.
    std::size_t begin = curve.first;
    const std::size_t low = picture.channel_at(x.low);
    const std::size_t high = picture.channel_at(x.high) + 1;
    begin = std::max(begin, low > 0 ? low - 1 : 0);
    const std::size_t stop = std::min(end, high + 1);
    long column = -1;
    PlotPoint first{}, lowest{}, highest{}, last{};
    auto flush = [&] {
        if (column < 0) return;
        points.push_back(first);
        if (lowest.y != first.y || highest.y != first.y) {
            // Keep the order in which the line visits the two extremes.
            if (lowest.x <= highest.x) {
                points.push_back(lowest);
                points.push_back(highest);
            } else {
                points.push_back(highest);
                points.push_back(lowest);
            }
        }
        points.push_back(last);
    };
    for (std::size_t ch = begin; ch < stop; ++ch) {
        const PlotPoint point{mapping.px(picture.xs[ch]),
                              mapping.py(curve.values[ch - curve.first])};
        const long here = std::lround(std::floor(point.x));
        if (here != column) {
            flush();
            column = here;
            first = lowest = highest = last = point;
            continue;
        }
        if (point.y > lowest.y) lowest = point;  // pixels grow downwards
        if (point.y < highest.y) highest = point;
        last = point;
    }
    flush();
    return points;
}

}  // namespace sorvane
