#pragma once

#include "results/plot_axes.h"
#include "results/plot_picture.h"

namespace sorvane {

// What part of a picture is shown: the zoom state of the window's plot. The count
// axis follows the highest count in view unless a dragged rectangle chose it.
class PlotView {
public:
    explicit PlotView(const PlotPicture& picture);

    Range x() const { return x_; }
    Range y() const { return y_; }
    bool log_y() const { return log_y_; }
    bool zoomed() const;

    // Back to the whole spectrum.
    void reset();
    void set_log_y(bool log_y);
    // Wheel: factor < 1 zooms in, keeping `at` where it is on the screen.
    void zoom_x(double at, double factor);
    // A dragged rectangle, in data units; a rectangle of next to no size is ignored.
    void zoom_to(Range x, Range y);
    // Moves the view by dx (x units), within the whole spectrum.
    void pan(double dx);
    // Keeps the width and puts x in the middle (a selected peak).
    void centre_on(double x);

private:
    void clamp_x();
    void fit_y();

    const PlotPicture* picture_;
    Range x_;
    Range y_;
    bool log_y_ = true;
};

// The y range that shows counts up to `top` with room for the marks above.
Range count_range(double top, bool log_y);

}  // namespace sorvane
