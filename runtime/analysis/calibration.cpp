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
    return std::sqrt(std::max(a + b * channel, min_fwhm * min_fwhm));
}

double WidthCalibration::fwhm_slope(double channel) const {
    const double square = a + b * channel;
    if (square <= min_fwhm * min_fwhm) return 0.0;
    return b / (2.0 * std::sqrt(square));
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

namespace {

// Weighted straight line of FWHM^2 over channel through the kept samples.
std::optional<WidthCalibration> line_through(std::span<const WidthSample> samples,
                                             const std::vector<bool>& kept) {
    double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!kept[i]) continue;
        const auto& s = samples[i];
        const double y = s.fwhm * s.fwhm;
        const double dy = std::max(2.0 * s.fwhm * s.d_fwhm, 1e-6);
        const double w = 1.0 / (dy * dy);
        sw += w;
        sx += w * s.channel;
        sy += w * y;
        sxx += w * s.channel * s.channel;
        sxy += w * s.channel * y;
    }
    const double det = sw * sxx - sx * sx;
    if (!(det > 0.0)) return std::nullopt;
    WidthCalibration line;
    line.b = (sw * sxy - sx * sy) / det;
    line.a = (sy - line.b * sx) / sw;
    line.refined = true;
    return line;
}

}  // namespace

WidthCalibration refine_width_calibration(const WidthCalibration& start,
                                          std::span<const WidthSample> samples, double first,
                                          double last) {
    if (samples.size() < 3) return start;
    // An unresolved multiplet only ever widens a peak, and may be most of the
    // samples: the line starts from the narrower half (relative to the starting
    // calibration), then takes in every plausible sample not far above it, until stable.
    std::vector<double> ratios;
    for (const auto& s : samples) ratios.push_back(s.fwhm / start.fwhm(s.channel));
    auto sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    // The narrower half, but at least three samples.
    const double median = sorted[std::max<std::size_t>((sorted.size() - 1) / 2, 2)];
    // A width further from the starting calibration's belongs to no clean lone
    // peak; within that the user's FWHM points may well be off.
    auto plausible = [&](std::size_t i) {
        return ratios[i] > 1.0 / max_width_factor && ratios[i] < max_width_factor;
    };
    std::vector<bool> kept(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) kept[i] = plausible(i) && ratios[i] <= median;
    std::optional<WidthCalibration> line;
    for (int round = 0; round < 10; ++round) {
        if (std::count(kept.begin(), kept.end(), true) < 3) return start;
        line = line_through(samples, kept);
        if (!line) return start;
        std::vector<bool> next(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double expected =
                std::sqrt(std::max(line->a + line->b * samples[i].channel, 1e-12));
            next[i] = plausible(i) && samples[i].fwhm - expected <=
                                          3.0 * std::max(samples[i].d_fwhm, 1e-3 * expected);
        }
        if (next == kept) break;
        kept = std::move(next);
    }
    // Samples bunched in a small part of the range cannot fix a slope: then only a
    // common scale of the starting calibration is taken from them.
    double low = last, high = first;
    double weight = 0.0, scale_sum = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!kept[i]) continue;
        low = std::min(low, samples[i].channel);
        high = std::max(high, samples[i].channel);
        const double w =
            1.0 / std::pow(std::max(samples[i].d_fwhm, 1e-6) / start.fwhm(samples[i].channel), 2);
        weight += w;
        scale_sum += w * ratios[i] * ratios[i];
    }
    const double floor = WidthCalibration::min_fwhm * WidthCalibration::min_fwhm;
    if (high - low < 0.5 * (last - first)) {
        const double scale_square = scale_sum / weight;
        line = WidthCalibration{start.a * scale_square, start.b * scale_square, true};
    }
    if (!line || !std::isfinite(line->a) || !std::isfinite(line->b) ||
        line->a + line->b * first <= floor || line->a + line->b * last <= floor) {
        return start;
    }
    // A line pulled far from the starting one (at either end) rests on too few clean peaks.
    for (double channel : {first, last}) {
        const double ratio = line->fwhm(channel) / start.fwhm(channel);
        if (ratio > max_width_factor || ratio < 1.0 / max_width_factor) return start;
    }
    return *line;
}

}  // namespace sorvane::analysis
