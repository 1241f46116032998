#include "ui/qt/result_plot_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <cmath>

#include "ui/qt/qt_text.h"

namespace sorvane {
namespace {

const QColor counts_colour(0x70, 0x70, 0x70);
const QColor fit_colour(0xd0, 0x20, 0x20);
const QColor background_colour(0x20, 0x60, 0xc0);

void draw_trace(QPainter& painter, const std::vector<PlotPoint>& points) {
    if (points.size() < 2) return;
    QPainterPath path(QPointF(points[0].x, points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x, points[i].y);
    painter.drawPath(path);
}

void draw_legend(QPainter& painter, const PixelBox& area, const QFontMetrics& metrics,
                 const QColor& text) {
    const struct {
        const char* name;
        const QColor& colour;
    } entries[] = {
        {"spectrum", counts_colour}, {"fit", fit_colour}, {"background", background_colour}};
    const double left = area.right() - metrics.horizontalAdvance(QStringLiteral("background")) - 48;
    double y = area.top + 6 + metrics.ascent();
    for (const auto& entry : entries) {
        painter.setPen(QPen(entry.colour, 2));
        painter.drawLine(QPointF(left, y - metrics.ascent() / 3.0),
                         QPointF(left + 26, y - metrics.ascent() / 3.0));
        painter.setPen(text);
        painter.drawText(QPointF(left + 32, y), QString::fromLatin1(entry.name));
        y += metrics.height();
    }
}

}  // namespace

ResultPlotWidget::ResultPlotWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(320, 200);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ResultPlotWidget::set_picture(const PlotPicture* picture) {
    picture_ = picture;
    view_.reset();
    if (picture_) view_.emplace(*picture_);
    highlight_.reset();
    update();
}

void ResultPlotWidget::refresh() {
    update();
}

void ResultPlotWidget::set_highlight(std::optional<std::size_t> mark) {
    highlight_ = mark;
    update();
}

PixelBox ResultPlotWidget::plot_area() const {
    const double text = fontMetrics().height();
    const double left = fontMetrics().horizontalAdvance(QStringLiteral("100000")) + text + 12;
    return {left, text * 2 + 6, std::max(10.0, width() - left - 16),
            std::max(10.0, height() - text * 4.5 - 6)};
}

AxisMapping ResultPlotWidget::mapping() const {
    return AxisMapping(view_->x(), view_->y(), view_->log_y(), plot_area());
}

void ResultPlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QFontMetrics metrics = fontMetrics();
    if (!picture_ || !view_) return;
    painter.drawText(QPointF(plot_area().left, metrics.ascent() + 4), to_qt(picture_->title));
    const AxisMapping map = mapping();
    const PixelBox a = map.box();
    const QRectF area(a.left, a.top, a.width, a.height);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawRect(area);
    for (const Tick& tick : linear_ticks(view_->x(), std::max(2, static_cast<int>(a.width / 90)))) {
        const double x = map.px(tick.value);
        painter.drawLine(QPointF(x, a.bottom()), QPointF(x, a.bottom() + 5));
        const QString label = to_qt(tick.label);
        painter.drawText(
            QPointF(x - metrics.horizontalAdvance(label) / 2.0, a.bottom() + 6 + metrics.ascent()),
            label);
    }
    const auto y_ticks =
        view_->log_y() ? log_ticks(view_->y())
                       : linear_ticks(view_->y(), std::max(2, static_cast<int>(a.height / 50)));
    for (const Tick& tick : y_ticks) {
        const double y = map.py(tick.value);
        painter.drawLine(QPointF(a.left - (tick.major ? 5 : 2), y), QPointF(a.left, y));
        if (!tick.major) continue;
        const QString label = to_qt(tick.label);
        painter.drawText(
            QPointF(a.left - 7 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2.5),
            label);
    }
    const QString x_label = to_qt(picture_->x_label());
    painter.drawText(QPointF(a.left + a.width / 2 - metrics.horizontalAdvance(x_label) / 2.0,
                             height() - metrics.descent() - 3),
                     x_label);
    painter.save();
    painter.translate(metrics.ascent() + 2, a.top + a.height / 2);
    painter.rotate(-90);
    const QString y_label = QStringLiteral("Counts per channel");
    painter.drawText(QPointF(-metrics.horizontalAdvance(y_label) / 2.0, 0), y_label);
    painter.restore();

    painter.setClipRect(area);
    if (picture_->has_counts()) {
        painter.setPen(QPen(counts_colour, 1));
        draw_trace(painter, trace(*picture_, {0, picture_->counts}, map, view_->x()));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(background_colour, 1.2));
    for (const ChannelCurve& curve : picture_->backgrounds)
        draw_trace(painter, trace(*picture_, curve, map, view_->x()));
    painter.setPen(QPen(fit_colour, 1.4));
    for (const ChannelCurve& curve : picture_->fits)
        draw_trace(painter, trace(*picture_, curve, map, view_->x()));

    labels_ = place_labels(*picture_, map, view_->x(),
                           {static_cast<double>(metrics.horizontalAdvance(QLatin1Char('8'))),
                            static_cast<double>(metrics.height())});
    for (const PlacedLabel& label : labels_) {
        const bool lit = highlight_ == label.mark;
        painter.setPen(QPen(lit ? fit_colour : palette().color(QPalette::Text), lit ? 2 : 0.6));
        painter.drawLine(QPointF(label.anchor_x, label.box.bottom()),
                         QPointF(label.anchor_x, label.anchor_y));
        QFont font = painter.font();
        font.setBold(lit);
        painter.setFont(font);
        painter.drawText(QRectF(label.box.left, label.box.top, label.box.width, label.box.height),
                         Qt::AlignCenter, to_qt(mark_text(picture_->marks[label.mark])));
    }
    painter.setClipping(false);
    draw_legend(painter, a, metrics, palette().color(QPalette::Text));
    if (drag_ == Drag::zoom) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.drawRect(QRect(drag_start_, drag_now_).normalized());
    }
}

void ResultPlotWidget::wheelEvent(QWheelEvent* event) {
    if (!view_) return;
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0) return;
    view_->zoom_x(mapping().x_at(event->position().x()), std::pow(0.8, steps));
    update();
    event->accept();
}

void ResultPlotWidget::mousePressEvent(QMouseEvent* event) {
    if (!view_) return;
    drag_start_ = drag_now_ = event->position().toPoint();
    const bool pan = event->button() == Qt::RightButton || event->button() == Qt::MiddleButton ||
                     (event->modifiers() & Qt::ShiftModifier);
    drag_ = pan ? Drag::pan : (event->button() == Qt::LeftButton ? Drag::zoom : Drag::none);
}

void ResultPlotWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!view_) return;
    const QPoint now = event->position().toPoint();
    if (drag_ == Drag::pan) {
        const AxisMapping map = mapping();
        view_->pan(map.x_at(drag_now_.x()) - map.x_at(now.x()));
    }
    drag_now_ = now;
    if (on_readout) on_readout(readout_at(event->position()));
    if (drag_ != Drag::none) update();
}

void ResultPlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!view_) return;
    const Drag was = drag_;
    drag_ = Drag::none;
    const QPoint end = event->position().toPoint();
    if (was == Drag::zoom) {
        const bool clicked = (end - drag_start_).manhattanLength() < 4;
        if (clicked) {
            const auto mark = mark_at(labels_, end.x(), end.y(), 4.0);
            if (mark && on_mark_clicked) on_mark_clicked(*mark);
        } else {
            const AxisMapping map = mapping();
            view_->zoom_to({map.x_at(drag_start_.x()), map.x_at(end.x())},
                           {map.count_at(drag_start_.y()), map.count_at(end.y())});
        }
    }
    update();
}

void ResultPlotWidget::mouseDoubleClickEvent(QMouseEvent*) {
    if (!view_) return;
    view_->reset();
    update();
}

void ResultPlotWidget::leaveEvent(QEvent*) {
    if (on_readout) on_readout(QString());
}

QString ResultPlotWidget::readout_at(QPointF point) const {
    const PixelBox a = plot_area();
    if (!picture_ || !view_ || point.x() < a.left || point.x() > a.right() || point.y() < a.top ||
        point.y() > a.bottom() || picture_->xs.empty())
        return {};
    const std::size_t channel = picture_->channel_at(mapping().x_at(point.x()));
    QString text = QStringLiteral("channel %1").arg(channel);
    if (picture_->energy_axis)
        text += QStringLiteral(", %1 keV").arg(picture_->xs[channel], 0, 'f', 2);
    if (channel < picture_->counts.size())
        text += QStringLiteral(", %1 counts").arg(picture_->counts[channel], 0, 'f', 0);
    return text;
}

}  // namespace sorvane
