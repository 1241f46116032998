#include "analysis/region_curve.h"

#include <algorithm>

#include "analysis/peak_shape.h"
#include "analysis/region_model.h"

namespace sorvane::analysis {

RegionCurve curve_of(const RegionModel& model, std::span<const double> theta) {
    const RegionLayout& at = model.layout();
    RegionCurve curve;
    curve.first = model.first();
    curve.last = model.last();
    curve.level = theta[at.background_level()];
    curve.slope = theta[at.background_slope()];
    curve.bkg_shape = model.bkg_shape();
    const bool tailed = model.shape() == PeakShape::gauss_exp;
    for (std::size_t j = 0; j < at.peaks; ++j) {
        curve.peaks.push_back({theta[at.centroid(j)], theta[at.area(j)], model.sigma(theta, j),
                               tailed ? theta[at.tail()] : 0.0, theta[at.step(j)],
                               model.step_sigma(j), tailed ? theta[at.high_tail()] : 0.0,
                               theta[at.high_share()]});
    }
    return curve;
}

CurveValues evaluate_curve(const RegionCurve& curve) {
    CurveValues values;
    if (curve.last < curve.first) return values;
    const auto n = static_cast<std::size_t>(curve.last - curve.first + 1);
    values.model.resize(n);
    values.background.resize(n);
    // The same axis as the fit's straight background: -1 at first, +1 at last.
    const double middle = 0.5 * (curve.first + curve.last);
    const double half = std::max(0.5 * (curve.last - curve.first), 1.0);
    for (std::size_t i = 0; i < n; ++i) {
        const int channel = curve.first + static_cast<int>(i);
        double background = curve.level + curve.slope * (channel - middle) / half;
        double peaks = 0.0;
        for (const CurvePeak& peak : curve.peaks) {
            if (peak.step != 0.0)
                background += peak.step * step_mean(channel - 0.5, channel + 0.5, peak.centroid,
                                                    peak.step_sigma, curve.bkg_shape)
                                              .value;
            peaks += peak.area * channel_fraction(channel, peak.centroid, peak.sigma, peak.tail,
                                                  peak.high_tail, peak.high_share);
        }
        values.background[i] = background;
        values.model[i] = background + peaks;
    }
    return values;
}

}  // namespace sorvane::analysis
