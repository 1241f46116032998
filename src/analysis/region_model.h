#pragma once

#include <span>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/calibration.h"
#include "analysis/poisson_fit.h"

namespace sorvane::analysis {

// Where each parameter of a region with m peaks stands in the parameter vector.
struct RegionLayout {
    std::size_t peaks = 0;
    std::size_t centroid(std::size_t j) const { return 2 * j; }
    std::size_t area(std::size_t j) const { return 2 * j + 1; }
    std::size_t width_scale() const { return 2 * peaks; }
    std::size_t tail() const { return 2 * peaks + 1; }
    std::size_t high_tail() const { return 2 * peaks + 2; }
    std::size_t high_share() const { return 2 * peaks + 3; }
    std::size_t background_level() const { return 2 * peaks + 4; }
    std::size_t background_slope() const { return 2 * peaks + 5; }
    std::size_t step(std::size_t j) const { return 2 * peaks + 6 + j; }
    std::size_t size() const { return 3 * peaks + 6; }
};

// Expected counts in channels first..last: every peak integrated over each
// channel, sigma = width_scale * FWHM_cal(centroid) / 2.3548, with the region's
// low and high tail (k, 0 for none: the high one only with the Gauss+exp shape, and on
// the share of each peak that high_share says, the rest without it), plus a straight
// background (level at the middle, slope per half region) and a step under each
// peak of height `step` (counts per channel) shaped by bkg_shape.
class RegionModel final : public PoissonModel {
public:
    RegionModel(int first, int last, std::size_t peaks, const WidthCalibration& width,
                PeakShape shape, double bkg_shape, std::vector<double> step_sigma);

    std::size_t parameter_count() const override { return layout_.size(); }
    std::size_t channel_count() const override {
        return static_cast<std::size_t>(last_ - first_ + 1);
    }
    void evaluate(std::span<const double> theta, std::span<double> mu,
                  Matrix* jacobian) const override;

    // The background part alone (straight line and steps).
    std::vector<double> background(std::span<const double> theta) const;
    // The position of a channel on the background's axis (-1 at first, +1 at last).
    double axis(double channel) const;

    // Parameters held fixed: their derivatives are not worked out, and a fixed
    // step of height 0 is left out entirely.
    void set_fixed(std::vector<bool> fixed) { fixed_ = std::move(fixed); }

    const RegionLayout& layout() const { return layout_; }
    int first() const { return first_; }
    int last() const { return last_; }
    double sigma(std::span<const double> theta, std::size_t peak) const;
    PeakShape shape() const { return shape_; }
    double bkg_shape() const { return bkg_shape_; }
    double step_sigma(std::size_t peak) const { return step_sigma_[peak]; }

private:
    int first_;
    int last_;
    RegionLayout layout_;
    WidthCalibration width_;
    PeakShape shape_;
    double bkg_shape_;
    std::vector<double> step_sigma_;  // the step's width per peak, fixed for a fit
    std::vector<bool> fixed_;
};

}  // namespace sorvane::analysis
