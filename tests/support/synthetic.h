#pragma once

#include <vector>

#include "analysis/calibration.h"
#include "analysis/peak_shape.h"

namespace sorvane::test {

struct TestPeak {
    double channel;
    double area;
    double tail = 0.0;
    double high_tail = 0.0;   // k of a high-energy tail, 0 for none
    double high_share = 1.0;  // the part of the peak that has it
};

// The width of the synthetic spectra: FWHM 2.0 channels at 200, 3.8 at 3000.
inline analysis::WidthCalibration test_width_calibration() {
    analysis::WidthCalibration width;
    width.b = (3.8 * 3.8 - 2.0 * 2.0) / 2800.0;
    width.a = 4.0 - 200.0 * width.b;
    return width;
}

// Noise-free counts: a flat continuum and channel-integrated peaks, width_factor
// times as wide as the test calibration says.
inline std::vector<double> noise_free(int channels, double continuum,
                                      const std::vector<TestPeak>& peaks,
                                      double width_factor = 1.0) {
    const auto width = test_width_calibration();
    std::vector<double> counts(static_cast<std::size_t>(channels), continuum);
    for (const auto& p : peaks) {
        const double sigma = width_factor * width.fwhm(p.channel) / analysis::fwhm_per_sigma;
        for (int ch = 0; ch < channels; ++ch)
            counts[static_cast<std::size_t>(ch)] +=
                p.area *
                analysis::channel_fraction(ch, p.channel, sigma, p.tail, p.high_tail, p.high_share);
    }
    return counts;
}

}  // namespace sorvane::test
