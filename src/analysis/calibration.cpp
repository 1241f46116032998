#include "analysis/calibration.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace sorvane::analysis {

EnergyCalibration energy_calibration(const AnalysisOptions& options,
                                     std::span<const float> file_terms, std::string& message) {
    EnergyCalibration file;
    if (file_terms.size() >= 3) {
        file = {file_terms[0], file_terms[1], file_terms[2], true};
    }
    if (!std::isfinite(file.c0) || !std::isfinite(file.c1) || !std::isfinite(file.c2)) {
        message = "the file's energy calibration is not a number; channels are used as energies";
        file = {0.0, 1.0, 0.0, true};
    }
    if (options.energy_auto) return file;
    const double run = options.high.channel - options.low.channel;
    if (!(std::fabs(run) > 0.0) || !std::isfinite(run)) {
        message =
            "manual energy calibration points share one channel; the file's calibration is used";
        return file;
    }
    const double slope = (options.high.energy - options.low.energy) / run;
    return {options.low.energy - slope * options.low.channel, slope, 0.0, false};
}

double WidthCalibration::fwhm(double channel) const {
    return std::sqrt(std::max(a + (b + c * channel) * channel, min_fwhm * min_fwhm));
}

double WidthCalibration::fwhm_slope(double channel) const {
    const double square = a + (b + c * channel) * channel;
    if (square <= min_fwhm * min_fwhm) return 0.0;
    return (b + 2.0 * c * channel) / (2.0 * std::sqrt(square));
}

WidthCalibration width_calibration(const AnalysisOptions& options) {
    const auto& low = options.low;
    const auto& high = options.high;
    WidthCalibration cal;
    const double run = high.channel - low.channel;
    if (std::fabs(run) > 0.0 && std::isfinite(run)) {
        cal.b = (high.fwhm * high.fwhm - low.fwhm * low.fwhm) / run;
        cal.a = low.fwhm * low.fwhm - cal.b * low.channel;
    } else {
        const double fwhm = std::max(low.fwhm, high.fwhm);
        cal.a = fwhm > 0.0 ? fwhm * fwhm : 4.0;
        cal.b = 0.0;
    }
    if (!std::isfinite(cal.a) || !std::isfinite(cal.b)) cal = WidthCalibration{};
    return cal;
}

}  // namespace sorvane::analysis
