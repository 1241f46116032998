#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "results/mark_labels.h"
#include "results/plot_picture.h"
#include "results/plot_view.h"

namespace sorvane {

// Draws a result's picture with QPainter and turns the mouse into zoom and pan:
// the wheel zooms about the pointer, a dragged rectangle zooms to it, a drag with
// the right or middle button (or Shift) pans, a double click shows everything.
class ResultPlotWidget final : public QWidget {
public:
    explicit ResultPlotWidget(QWidget* parent = nullptr);

    void set_picture(const PlotPicture* picture);
    PlotView* view() { return view_ ? &*view_ : nullptr; }
    // Redraws after the view was changed from outside.
    void refresh();
    // The peak drawn highlighted (a table row), by its index among the marks.
    void set_highlight(std::optional<std::size_t> mark);
    // The plot area in pixels as last drawn.
    PixelBox plot_area() const;

    // Channel, energy and counts under the pointer, or empty when it is outside.
    std::function<void(const QString&)> on_readout;
    // A mark's number or line was clicked: its index among the marks.
    std::function<void(std::size_t)> on_mark_clicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    AxisMapping mapping() const;
    QString readout_at(QPointF point) const;

    const PlotPicture* picture_ = nullptr;
    std::optional<PlotView> view_;
    std::vector<PlacedLabel> labels_;
    std::optional<std::size_t> highlight_;
    enum class Drag { none, zoom, pan } drag_ = Drag::none;
    QPoint drag_start_;
    QPoint drag_now_;
};

}  // namespace sorvane
