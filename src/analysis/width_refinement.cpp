#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "analysis/calibration.h"
#include "analysis/dense_matrix.h"

namespace sorvane::analysis {
namespace {

// A clean peak's width lies within this fraction of the calibration (beyond its
// own statistical spread): wider lines are Doppler-broadened, doublets or escapes.
constexpr double relative_tolerance = 0.06;
// Widths of real peaks scatter by about this fraction beyond counting statistics
// (shape, pile-up, drift), so one very strong peak does not set the line alone.
constexpr double width_scatter = 0.02;
// Samples spread over less of the analysed range than this fix no slope.
constexpr double least_span_for_slope = 0.5;
// A curvature needs this many samples over half the range and a clear gain.
constexpr std::size_t least_samples_for_curvature = 6;
constexpr double curvature_gain = 9.0;

struct Fit {
    WidthCalibration width;
    double chi2 = 0.0;
    std::size_t used = 0;
};

double square_sigma(const WidthSample& s) {
    const double spread = std::hypot(s.d_fwhm, width_scatter * s.fwhm);
    return std::max(2.0 * s.fwhm * spread, 1e-9);
}

// Weighted least squares of FWHM^2 on 1, x, x^2 (x = channel / scale); `terms` 1
// is a common scale of `start`, 2 a line, 3 a parabola.
std::optional<Fit> least_squares(const WidthCalibration& start,
                                 std::span<const WidthSample> samples,
                                 const std::vector<bool>& kept, int terms, double scale) {
    const auto n = static_cast<std::size_t>(terms);
    auto basis = [&](double channel, std::size_t k) {
        if (terms == 1) return start.a + start.b * channel + start.c * channel * channel;
        return std::pow(channel / scale, static_cast<double>(k));
    };
    Matrix normal(n, n);
    std::vector<double> right(n, 0.0);
    std::size_t used = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!kept[i]) continue;
        ++used;
        const auto& s = samples[i];
        const double w = 1.0 / std::pow(square_sigma(s), 2);
        for (std::size_t r = 0; r < n; ++r) {
            right[r] += w * basis(s.channel, r) * s.fwhm * s.fwhm;
            for (std::size_t c = 0; c < n; ++c)
                normal(r, c) += w * basis(s.channel, r) * basis(s.channel, c);
        }
    }
    if (used <= n) return std::nullopt;
    const auto solution = solve_symmetric(normal, right);
    if (!solution) return std::nullopt;
    const Matrix covariance = invert_symmetric(normal);
    Fit fit;
    fit.used = used;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!kept[i]) continue;
        double model = 0.0;
        for (std::size_t r = 0; r < n; ++r) model += (*solution)[r] * basis(samples[i].channel, r);
        fit.chi2 +=
            std::pow((samples[i].fwhm * samples[i].fwhm - model) / square_sigma(samples[i]), 2);
    }
    // The scatter beyond the assumed errors widens the coefficients' uncertainties.
    const double inflation = std::max(1.0, fit.chi2 / static_cast<double>(used - n));
    auto sd = [&](std::size_t k) { return std::sqrt(std::max(covariance(k, k), 0.0) * inflation); };
    WidthCalibration& w = fit.width;
    if (terms == 1) {
        const double s2 = (*solution)[0];
        w = {start.a * s2,
             start.b * s2,
             start.c * s2,
             true,
             std::fabs(start.a) * sd(0),
             std::fabs(start.b) * sd(0),
             std::fabs(start.c) * sd(0)};
    } else {
        w.a = (*solution)[0];
        w.d_a = sd(0);
        w.b = (*solution)[1] / scale;
        w.d_b = sd(1) / scale;
        if (terms == 3) {
            w.c = (*solution)[2] / (scale * scale);
            w.d_c = sd(2) / (scale * scale);
        }
        w.refined = true;
    }
    w.peaks_used = static_cast<int>(used);
    return fit;
}

bool positive_over(const WidthCalibration& w, double first, double last) {
    const double floor = WidthCalibration::min_fwhm * WidthCalibration::min_fwhm;
    for (double channel : {first, 0.5 * (first + last), last})
        if (!(w.a + (w.b + w.c * channel) * channel > floor)) return false;
    return std::isfinite(w.a) && std::isfinite(w.b) && std::isfinite(w.c);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// The Theil-Sen line of FWHM^2 over channel through the plausible samples: the
// median of the slopes between pairs at least a tenth of the range apart, and the
// median intercept; nothing when the samples span less than half the range.
template <typename Plausible>
std::optional<WidthCalibration> median_line(std::span<const WidthSample> samples,
                                            const Plausible& plausible, double range) {
    std::vector<double> slopes;
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!plausible(i)) continue;
        low = std::min(low, samples[i].channel);
        high = std::max(high, samples[i].channel);
        for (std::size_t j = i + 1; j < samples.size(); ++j) {
            const double run = samples[j].channel - samples[i].channel;
            if (!plausible(j) || std::fabs(run) < 0.1 * range) continue;
            slopes.push_back((std::pow(samples[j].fwhm, 2) - std::pow(samples[i].fwhm, 2)) / run);
        }
    }
    if (slopes.size() < 3 || high - low < least_span_for_slope * range) return std::nullopt;
    WidthCalibration line;
    line.b = median(slopes);
    std::vector<double> intercepts;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (plausible(i))
            intercepts.push_back(std::pow(samples[i].fwhm, 2) - line.b * samples[i].channel);
    line.a = median(intercepts);
    return line;
}

}  // namespace

WidthCalibration refine_width_calibration(const WidthCalibration& start,
                                          std::span<const WidthSample> samples, double first,
                                          double last) {
    if (samples.size() < 3) return start;
    // A width further from the starting calibration's than the fit may move belongs to
    // no clean lone peak.
    std::vector<double> ratios;
    for (const auto& s : samples) ratios.push_back(s.fwhm / start.fwhm(s.channel));
    auto plausible = [&](std::size_t i) {
        return ratios[i] > 1.0 / max_width_factor && ratios[i] < max_width_factor;
    };
    std::vector<double> usable;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (plausible(i)) usable.push_back(ratios[i]);
    if (usable.size() < 3) return start;
    // The robust start: the starting calibration scaled to the lower third of the
    // samples, since unresolved doublets, escapes and Doppler lines only ever widen.
    std::sort(usable.begin(), usable.end());
    const double scale0 = usable[usable.size() / 3];
    WidthCalibration current = start;
    current.a *= scale0 * scale0;
    current.b *= scale0 * scale0;
    current.c *= scale0 * scale0;
    const double range = std::max(last - first, 1.0);
    // Samples over most of the range set their own slope from the start: the
    // median of the slopes between pairs, which outliers hardly move.
    if (const auto line = median_line(samples, plausible, range); line) current = *line;
    std::vector<bool> kept(samples.size(), false);
    std::optional<Fit> fit;
    for (int round = 0; round < 10; ++round) {
        std::vector<bool> next(samples.size());
        double low = last, high = first;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto& s = samples[i];
            const double expected = current.fwhm(s.channel);
            // The first selection is looser: the start may miss a curvature. Then above
            // the line half the tolerance: what widens a line is common, what narrows it rare.
            const double tolerance = (round == 0 ? 3.0 : 1.0) * relative_tolerance;
            const double below = std::hypot(tolerance * expected, 3.0 * s.d_fwhm);
            const double above =
                std::hypot((round == 0 ? 1.0 : 0.5) * tolerance * expected, 3.0 * s.d_fwhm);
            next[i] = plausible(i) && s.fwhm - expected <= above && expected - s.fwhm <= below;
            if (next[i]) {
                low = std::min(low, s.channel);
                high = std::max(high, s.channel);
            }
        }
        if (fit && next == kept) break;
        // Too few left to fit: the last calibration stands.
        if (std::count(next.begin(), next.end(), true) < 3) {
            if (!fit) return start;
            break;
        }
        kept = std::move(next);
        const bool slope = high - low >= least_span_for_slope * range;
        fit = least_squares(start, samples, kept, slope ? 2 : 1, range);
        if (fit && slope && fit->used >= least_samples_for_curvature && high - low >= 0.5 * range) {
            const auto curved = least_squares(start, samples, kept, 3, range);
            if (curved && fit->chi2 - curved->chi2 > curvature_gain &&
                positive_over(curved->width, first, last))
                fit = curved;
        }
        if (!fit || !positive_over(fit->width, first, last)) return start;
        current = fit->width;
    }
    // A calibration pulled far from the starting one (at either end) rests on too few
    // clean peaks.
    for (double channel : {first, last}) {
        const double ratio = current.fwhm(channel) / start.fwhm(channel);
        if (ratio > max_width_factor || ratio < 1.0 / max_width_factor) return start;
    }
    return current;
}

}  // namespace sorvane::analysis
