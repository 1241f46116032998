#pragma once

#include <span>
#include <vector>

namespace sorvane::analysis {

class RegionModel;

// A fitted region in plain numbers: enough to draw its model and background again
// without the counts or the fit, as the result file keeps it.
struct CurvePeak {
    double centroid = 0.0;
    double area = 0.0;
    double sigma = 0.0;
    double tail = 0.0;        // k, 0 for a pure Gaussian
    double step = 0.0;        // counts per channel below the peak
    double step_sigma = 0.0;  // the step's width
    double high_tail = 0.0;   // k of the high-energy tail, 0 for none
    double high_share = 1.0;  // the part of the peak that has it

    bool operator==(const CurvePeak&) const = default;
};

struct RegionCurve {
    int first = 0;
    int last = -1;
    double level = 0.0;  // background at the region's middle
    double slope = 0.0;  // per half region
    double bkg_shape = 10.0;
    std::vector<CurvePeak> peaks;

    bool operator==(const RegionCurve&) const = default;
};

// The curve of a region model at its parameters theta.
RegionCurve curve_of(const RegionModel& model, std::span<const double> theta);

// Expected counts and background for channels first..last, with the fit's own
// peak and step shapes.
struct CurveValues {
    std::vector<double> model;
    std::vector<double> background;
};
CurveValues evaluate_curve(const RegionCurve& curve);

}  // namespace sorvane::analysis
