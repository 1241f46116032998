#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/plot_axes.h"
#include "results/result_file.h"

namespace sorvane {

// Values of consecutive channels from `first` on (a fitted region).
struct ChannelCurve {
    std::size_t first = 0;
    std::vector<double> values;
};

// A numbered mark at a peak, numbered as in the peak table.
struct PlotMark {
    int number = 0;
    double channel = 0.0;
    double x = 0.0;       // on the plot's x axis
    double apex = 0.0;    // the counts of the fit (or spectrum) at the peak's top
    std::size_t row = 0;  // the peak table's row
    std::string nuclide;  // the nuclide the peak was assigned to; empty for none
};

// The mark's label: its number, and the nuclide's name beside it ("3 Cs-137").
std::string mark_text(const PlotMark& mark);

// What a result draws, the same for the window and B.svg: the spectrum, the model
// and its background over each fitted region, the marks; x in keV when the result
// is calibrated, else in channels.
struct PlotPicture {
    std::string title;
    bool energy_axis = false;
    std::vector<double> xs;  // x of every channel
    std::vector<double> counts;
    std::vector<ChannelCurve> fits;
    std::vector<ChannelCurve> backgrounds;
    std::vector<PlotMark> marks;
    Range whole{0.0, 1.0};          // x of the shown channels
    std::size_t first_channel = 0;  // the channels shown at full view
    std::size_t last_channel = 0;

    bool has_counts() const { return !counts.empty(); }
    std::string x_label() const { return energy_axis ? "Energy (keV)" : "Channel"; }
    // The channel whose x lies nearest to x.
    std::size_t channel_at(double x) const;
    // The largest count or model value over [x.low, x.high].
    double top_within(Range x) const;
};

// `name` names the spectrum in the title.
PlotPicture make_picture(const ResultModel& result, std::string_view name);

// The title line: name, live time and start date when the result gives them.
std::string picture_title(const ResultModel& result, std::string_view name);

struct PlotPoint {
    double x;
    double y;
};
// The pixel polyline of a curve within the mapping's range; where many channels
// share a pixel column only their first, lowest, highest and last values are kept,
// which draws the same picture at any number of channels.
std::vector<PlotPoint> trace(const PlotPicture& picture, const ChannelCurve& curve,
                             const AxisMapping& mapping, Range x);

}  // namespace sorvane
