#include "ui/qt/efficiency_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace sorvane {
namespace {

// A log axis from low to high.
struct LogAxis {
    double low;
    double high;
    double at(double value, double from, double to) const {
        return from + (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low)) *
                          (to - from);
    }
};

// A quarter beyond the values on both sides, so that no point sits on the frame.
LogAxis axis_around(double low, double high) {
    if (!(low > 0.0) || !(high > low)) return {1.0, 10.0};
    return {low / 1.25, high * 1.25};
}

// 1, 2 and 5 times the decades within the axis.
std::vector<double> ticks_of(const LogAxis& axis) {
    std::vector<double> ticks;
    for (double decade = std::pow(10.0, std::floor(std::log10(axis.low))); decade <= axis.high;
         decade *= 10)
        for (double step : {1.0, 2.0, 5.0})
            if (step * decade >= axis.low && step * decade <= axis.high)
                ticks.push_back(step * decade);
    return ticks;
}

}  // namespace

EfficiencyPlot::EfficiencyPlot(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 260);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void EfficiencyPlot::show_fit(std::vector<activity::EfficiencyPoint> points,
                              std::vector<CurveSample> curve) {
    points_ = std::move(points);
    curve_ = std::move(curve);
    update();
}

void EfficiencyPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF area(70, 10, width() - 85, height() - 50);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawRect(area);
    painter.drawText(QPointF(area.center().x() - 40, height() - 6), QStringLiteral("Energy (keV)"));
    painter.save();
    painter.translate(14, area.center().y() + 30);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), QStringLiteral("Efficiency"));
    painter.restore();
    if (points_.empty() && curve_.empty()) return;

    double e_low = INFINITY, e_high = 0.0, f_low = INFINITY, f_high = 0.0;
    auto widen = [&](double e, double low, double high) {
        e_low = std::min(e_low, e);
        e_high = std::max(e_high, e);
        if (low > 0.0) f_low = std::min(f_low, low);
        f_high = std::max(f_high, high);
    };
    for (const auto& p : points_)
        widen(p.energy_kev, p.efficiency - p.d_efficiency, p.efficiency + p.d_efficiency);
    for (const auto& s : curve_) widen(s.energy_kev, s.low, s.high);
    const LogAxis x = axis_around(e_low, e_high);
    const LogAxis y = axis_around(f_low, f_high);
    auto px = [&](double e) { return x.at(e, area.left(), area.right()); };
    auto py = [&](double f) { return y.at(std::max(f, y.low), area.bottom(), area.top()); };

    for (double tick : ticks_of(x)) {
        const QString label = QString::number(tick, 'g', 6);
        painter.drawLine(QPointF(px(tick), area.bottom()), QPointF(px(tick), area.bottom() + 4));
        painter.drawText(QPointF(px(tick) - metrics.horizontalAdvance(label) / 2.0,
                                 area.bottom() + 6 + metrics.ascent()),
                         label);
    }
    for (double tick : ticks_of(y)) {
        const QString label = QString::number(tick, 'g', 6);
        painter.drawLine(QPointF(area.left() - 4, py(tick)), QPointF(area.left(), py(tick)));
        painter.drawText(QPointF(area.left() - 7 - metrics.horizontalAdvance(label),
                                 py(tick) + metrics.ascent() / 2.5),
                         label);
    }
    painter.setClipRect(area);
    if (!curve_.empty()) {
        QPainterPath band, line;
        band.moveTo(px(curve_.front().energy_kev), py(curve_.front().high));
        for (const auto& s : curve_) band.lineTo(px(s.energy_kev), py(s.high));
        for (auto s = curve_.rbegin(); s != curve_.rend(); ++s)
            band.lineTo(px(s->energy_kev), py(s->low));
        band.closeSubpath();
        painter.fillPath(band, QColor(0xc8, 0x30, 0x30, 60));
        line.moveTo(px(curve_.front().energy_kev), py(curve_.front().efficiency));
        for (const auto& s : curve_) line.lineTo(px(s.energy_kev), py(s.efficiency));
        painter.setPen(QPen(QColor(0xc8, 0x30, 0x30), 1.6));
        painter.drawPath(line);
    }
    painter.setPen(QPen(QColor(0x20, 0x40, 0xa0), 1.2));
    painter.setBrush(QColor(0x20, 0x40, 0xa0));
    for (const auto& p : points_) {
        const double cx = px(p.energy_kev);
        painter.drawLine(QPointF(cx, py(p.efficiency - p.d_efficiency)),
                         QPointF(cx, py(p.efficiency + p.d_efficiency)));
        painter.drawEllipse(QPointF(cx, py(p.efficiency)), 3.0, 3.0);
    }
}

}  // namespace sorvane
