#pragma once

#include <QWidget>
#include <vector>

#include "activity/efficiency_curve.h"
#include "results/standard_calibration.h"

namespace sorvane {

// The standard's efficiency points with their error bars and the fitted curve with
// its one-sigma band, on log-log axes (energy in keV, efficiency).
class EfficiencyPlot final : public QWidget {
public:
    explicit EfficiencyPlot(QWidget* parent = nullptr);

    void show_fit(std::vector<activity::EfficiencyPoint> points, std::vector<CurveSample> curve);
    const std::vector<CurveSample>& curve() const { return curve_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<activity::EfficiencyPoint> points_;
    std::vector<CurveSample> curve_;
};

}  // namespace sorvane
