#include "results/plot_view.h"

#include <algorithm>
#include <cmath>

namespace sorvane {
namespace {

// The narrowest view: a few channels, so that a peak still has a shape.
double narrowest(const PlotPicture& picture) {
    const double channels = static_cast<double>(picture.last_channel - picture.first_channel);
    return channels > 0.0 ? 8.0 * picture.whole.span() / channels : 1.0;
}

}  // namespace

Range count_range(double top, bool log_y) {
    top = std::max(top, 1.0);
    // Room above the highest point for the numbered marks.
    return log_y ? Range{log_floor, top * 3.0} : Range{0.0, top * 1.15};
}

PlotView::PlotView(const PlotPicture& picture) : picture_(&picture) {
    reset();
}

bool PlotView::zoomed() const {
    return x_.low != picture_->whole.low || x_.high != picture_->whole.high;
}

void PlotView::reset() {
    x_ = picture_->whole;
    fit_y();
}

void PlotView::set_log_y(bool log_y) {
    log_y_ = log_y;
    fit_y();
}

void PlotView::zoom_x(double at, double factor) {
    if (!(factor > 0.0)) return;
    const double width = std::max(x_.span() * factor, narrowest(*picture_));
    const double share = x_.span() > 0.0 ? (at - x_.low) / x_.span() : 0.5;
    x_ = {at - share * width, at - share * width + width};
    clamp_x();
    fit_y();
}

void PlotView::zoom_to(Range x, Range y) {
    if (x.low > x.high) std::swap(x.low, x.high);
    if (y.low > y.high) std::swap(y.low, y.high);
    if (x.span() < narrowest(*picture_) / 4.0) return;
    x_ = x;
    clamp_x();
    if (y.span() > 0.0 && (!log_y_ || y.high > log_floor))
        y_ = {log_y_ ? std::max(y.low, log_floor) : y.low, y.high};
    else
        fit_y();
}

void PlotView::pan(double dx) {
    x_ = {x_.low + dx, x_.high + dx};
    clamp_x();
    fit_y();
}

void PlotView::centre_on(double x) {
    const double half = x_.span() / 2.0;
    x_ = {x - half, x + half};
    clamp_x();
    fit_y();
}

void PlotView::clamp_x() {
    const Range whole = picture_->whole;
    const double width = std::min(x_.span(), whole.span());
    if (x_.low < whole.low) x_ = {whole.low, whole.low + width};
    if (x_.high > whole.high) x_ = {whole.high - width, whole.high};
}

void PlotView::fit_y() {
    y_ = count_range(picture_->top_within(x_), log_y_);
}

}  // namespace sorvane
