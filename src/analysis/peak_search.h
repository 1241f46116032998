#pragma once

#include <span>
#include <vector>

#include "analysis/calibration.h"

namespace sorvane::analysis {

struct PeakCandidate {
    double channel = 0.0;
    double significance = 0.0;  // filtered value / its standard deviation
};

// The second-difference filter of the counts around one channel: a zero-area
// kernel (a Gaussian of the local width less its mean over +-2 FWHM) applied
// after the smoothing, and the standard deviation of that value.
struct FilterValue {
    double value = 0.0;
    double sigma = 0.0;
};

class SecondDifferenceFilter {
public:
    SecondDifferenceFilter(const WidthCalibration& width, int smoothing_points);
    // values: counts or residuals; variances: their variances per channel; values[0]
    // belongs to channel `origin`. Channels outside the spans are left out.
    FilterValue at(std::span<const double> values, std::span<const double> variances, int channel,
                   int origin = 0) const;
    // How far the kernel reaches on each side of a channel.
    int reach(int channel) const;
    // The kernel at a channel: 2 reach + 1 weights centred on it.
    const std::vector<double>& kernel(int channel) const;

private:
    WidthCalibration width_;
    std::vector<double> smoothing_;
    mutable std::vector<std::vector<double>> kernels_;  // by width in tenths of a channel
};

// Candidates in channels first..last where the filter exceeds `sensitivity`
// standard deviations, at the filter's local maxima, refined to a fraction of a
// channel; candidates closer than 0.8 FWHM are merged into the stronger one.
std::vector<PeakCandidate> search_peaks(std::span<const double> counts, int first, int last,
                                        const WidthCalibration& width, int smoothing_points,
                                        double sensitivity);

}  // namespace sorvane::analysis
