#include "analysis/region_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/peak_search.h"
#include "analysis/peak_shape.h"
#include "analysis/poisson_fit.h"
#include "analysis/region_model.h"

namespace sorvane::analysis {
namespace {

constexpr double unbounded = std::numeric_limits<double>::infinity();
// Peaks above these significances define the width, the tail and the step.
constexpr double width_significance = 30.0;
constexpr double tail_significance = 50.0;
constexpr double step_significance = 20.0;
// A fitted tail this short-lived (k in sigmas) holds almost no counts: the peak is a Gaussian.
constexpr double negligible_tail = 4.0;
constexpr int max_iterations = 60;
// Where a high tail is first tried, k in sigmas, and on which part of the line.
constexpr double first_high_tail = 1.5;
constexpr double least_high_share = 0.01;
constexpr double long_high_tail_start = 0.7;
constexpr double long_high_share_start = 0.3;
// A hidden member this much weaker than a neighbour, and within these FWHM below or
// above it, may be the neighbour's shape differing from the model's (a 1:10 doublet
// is two lines). Within one FWHM it is no line a person sees; further below, it must
// beat the neighbour with a low tail of its own.
constexpr double shape_zone_ratio = 20.0;
constexpr double shape_zone_unseen = 1.0;
constexpr double shape_zone_low = 1.5;
constexpr double shape_zone_high = 1.0;
// A member this much weaker than a line and within this many FWHM of it may be the
// line's tail.
constexpr double tail_zone_ratio = 3.0;
constexpr double tail_zone_reach = 3.0;
// A peak is tried as a pair whose members start this many FWHM either side of it.
constexpr double pair_start_offset = 0.3;
// A pair must widen the line beyond what the width calibration allows for one line
// (the tolerance the calibration itself keeps clean peaks within), or a single line
// a little wider than the calibration would be split in two.
constexpr double least_pair_widening = 0.06;
// Widths taken from the user's points alone may be that far off before anyone is told.
constexpr double least_pair_widening_unrefined = 0.30;
// Members closer than this part of the FWHM are one line; further apart than this
// many FWHM they are no unresolved pair (the search for hidden members, with its own
// tests, finds those).
constexpr double closest_pair = 0.15;
constexpr double farthest_pair = 1.5;

struct Attempt {
    RegionModel model;
    PoissonFit fit;
    std::vector<bool> manual;
    bool tail_shown = false;      // the peaks are strong and apart enough to show a tail
    bool high_tail_free = false;  // the fit's own high tail, also where it ends at a bound
};

// Which shape parameters a fit may free. A tail is freed only where the peaks are
// strong and apart, unless `any_strength` (the fit then is the alternative a weaker
// member is weighed against).
struct Freedom {
    bool width = true;
    bool tail = true;
    double width_band = 0.0;  // > 0: the width free within this tolerance, however weak
    bool high_tail = false;
    bool any_strength = false;
};

double count_at(std::span<const double> counts, double channel) {
    const auto n = static_cast<long>(counts.size());
    const long i = std::clamp(std::lround(channel), 0L, n - 1);
    return counts[static_cast<std::size_t>(i)];
}

Attempt fit_once(std::span<const double> counts, int first, int last,
                 const std::vector<PeakStart>& peaks, const RegionSettings& settings,
                 const Freedom& free = {}) {
    const std::size_t m = peaks.size();
    std::vector<double> step_sigma(m);
    for (std::size_t j = 0; j < m; ++j)
        step_sigma[j] = settings.width.fwhm(peaks[j].channel) / fwhm_per_sigma;
    RegionModel model(first, last, m, settings.width, settings.shape, settings.bkg_shape,
                      step_sigma);
    const RegionLayout& at = model.layout();
    const auto region =
        counts.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));

    // Background from three channels at each end.
    const std::size_t edge = std::min<std::size_t>(3, region.size());
    double left = 0.0, right = 0.0;
    for (std::size_t i = 0; i < edge; ++i) {
        left += region[i] / static_cast<double>(edge);
        right += region[region.size() - 1 - i] / static_cast<double>(edge);
    }
    std::vector<double> theta(at.size(), 0.0);
    FitLimits limits{std::vector<double>(at.size(), -unbounded),
                     std::vector<double>(at.size(), unbounded),
                     std::vector<bool>(at.size(), false)};
    double level = std::max(0.5 * (left + right), 0.5);
    double slope = 0.5 * (right - left);
    if (level - std::fabs(slope) < 0.25 * level) slope = std::copysign(0.75 * level, slope);
    theta[at.background_level()] = level;
    theta[at.background_slope()] = slope;

    std::vector<double> significance(m);
    for (std::size_t j = 0; j < m; ++j) {
        const double c = peaks[j].channel;
        const double fwhm = settings.width.fwhm(c);
        const double under = level + slope * model.axis(c);
        const double height = std::max(count_at(counts, c) - under, 1.0);
        const double area = height * fwhm * area_per_height_fwhm;
        theta[at.centroid(j)] = c;
        limits.lower[at.centroid(j)] = std::max<double>(first, c - fwhm);
        limits.upper[at.centroid(j)] = std::min<double>(last, c + fwhm);
        theta[at.area(j)] = area;
        limits.lower[at.area(j)] = 0.0;
        significance[j] = area / std::sqrt(area + 2.0 * std::max(under, 1.0) * 2.5 * fwhm);
    }
    bool separated = true;
    for (std::size_t j = 1; j < m; ++j)
        if (peaks[j].channel - peaks[j - 1].channel < 2.0 * settings.width.fwhm(peaks[j].channel))
            separated = false;
    const double weakest = m ? *std::min_element(significance.begin(), significance.end()) : 0.0;
    const bool strong_width =
        free.width && m > 0 && separated && (weakest >= width_significance || settings.free_width);
    const bool tailed = settings.shape == PeakShape::gauss_exp;
    const bool tail_shown =
        tailed && m > 0 && separated && (weakest >= tail_significance || free.any_strength);
    const bool strong_tail = free.tail && tail_shown;
    const bool strong_high_tail = free.high_tail && tail_shown;

    theta[at.width_scale()] = 1.0;
    limits.lower[at.width_scale()] = 1.0 / max_width_factor;
    limits.upper[at.width_scale()] = max_width_factor;
    limits.fixed[at.width_scale()] = !strong_width;
    // Free within the calibration's own tolerance, however weak the peaks.
    if (free.width_band > 0.0 && m > 0) {
        limits.lower[at.width_scale()] = 1.0 / (1.0 + free.width_band);
        limits.upper[at.width_scale()] = 1.0 + free.width_band;
        limits.fixed[at.width_scale()] = false;
    }

    theta[at.tail()] =
        settings.shape == PeakShape::gauss_exp ? (strong_tail ? 2.0 : settings.tail) : 0.0;
    limits.lower[at.tail()] = settings.shape == PeakShape::gauss_exp ? min_tail : 0.0;
    limits.upper[at.tail()] = settings.shape == PeakShape::gauss_exp ? max_tail : 0.0;
    limits.fixed[at.tail()] = !strong_tail;

    // The high tail starts from the spectrum's, or from a short one.
    const double high_start = settings.high_tail > 0.0 ? settings.high_tail : first_high_tail;
    theta[at.high_tail()] = tailed ? (strong_high_tail ? high_start : settings.high_tail) : 0.0;
    limits.lower[at.high_tail()] = strong_high_tail ? min_tail : theta[at.high_tail()];
    limits.upper[at.high_tail()] = strong_high_tail ? max_tail : theta[at.high_tail()];
    limits.fixed[at.high_tail()] = !strong_high_tail;
    // Pile-up moves a part of a line's counts up: a long tail on a small part is no
    // short one on all of it. The first fit puts the tail on all of the line.
    theta[at.high_share()] = strong_high_tail ? 1.0 : settings.high_share;
    limits.lower[at.high_share()] = theta[at.high_share()];
    limits.upper[at.high_share()] = theta[at.high_share()];
    limits.fixed[at.high_share()] = true;

    // The step drops from the low-energy side to the high one, by a small part of
    // the peak's height; without these limits two steps can swallow a doublet.
    for (std::size_t j = 0; j < m; ++j) {
        limits.fixed[at.step(j)] = significance[j] < step_significance;
        const double height =
            theta[at.area(j)] / (area_per_height_fwhm * settings.width.fwhm(peaks[j].channel));
        limits.lower[at.step(j)] = -0.05 * height;
        limits.upper[at.step(j)] = 0.0;
    }

    model.set_fixed(limits.fixed);
    Attempt attempt{model, {}, {}, tail_shown, strong_high_tail};
    attempt.fit = fit_poisson(attempt.model, region, theta, limits, max_iterations);
    // Where that made the tail longer, a long tail on a part of the line is tried,
    // from its own start: it is not reached from a short one on all of it.
    if (strong_high_tail && attempt.fit.theta[at.high_tail()] < high_start) {
        theta[at.high_tail()] = long_high_tail_start;
        theta[at.high_share()] = long_high_share_start;
        limits.lower[at.high_share()] = least_high_share;
        limits.upper[at.high_share()] = 1.0;
        limits.fixed[at.high_share()] = false;
        RegionModel on_a_part = attempt.model;
        on_a_part.set_fixed(limits.fixed);
        PoissonFit long_tail = fit_poisson(on_a_part, region, theta, limits, max_iterations);
        if (long_tail.converged && long_tail.deviance < attempt.fit.deviance) {
            attempt.model = std::move(on_a_part);
            attempt.fit = std::move(long_tail);
        }
    }
    for (const auto& p : peaks) attempt.manual.push_back(p.manual);
    return attempt;
}

double area_significance(const PoissonFit& fit, const RegionLayout& at, std::size_t j) {
    const double variance = fit.covariance(at.area(j), at.area(j));
    return variance > 0.0 ? fit.theta[at.area(j)] / std::sqrt(variance) : 0.0;
}

// Points the spectrum could not refine are a guess that a line strong enough to show
// its width may correct, within the tolerance a pair has; weaker lines keep the guess.
double unrefined_band(const Attempt& attempt, const RegionSettings& settings) {
    if (settings.width.refined) return 0.0;
    // The counts tell the strength: a misfit of the width scales the covariance up.
    const double misfit = std::sqrt(std::max(1.0, attempt.fit.reduced_deviance));
    const auto& at = attempt.model.layout();
    for (std::size_t j = 0; j < at.peaks; ++j)
        if (area_significance(attempt.fit, at, j) * misfit >= width_significance)
            return least_pair_widening_unrefined;
    return 0.0;
}

// Drops the weakest automatic peak that vanished or sits on another; true if one was dropped.
bool drop_vanished(const Attempt& attempt, const RegionSettings& settings,
                   std::vector<PeakStart>& peaks) {
    const auto& at = attempt.model.layout();
    const auto& theta = attempt.fit.theta;
    std::optional<std::size_t> worst;
    double worst_significance = unbounded;
    for (std::size_t j = 0; j < at.peaks; ++j) {
        if (peaks[j].manual) continue;
        const double z = area_significance(attempt.fit, at, j);
        bool crowded = false;
        for (std::size_t k = 0; k < at.peaks; ++k) {
            if (k == j) continue;
            const double gap = std::fabs(theta[at.centroid(j)] - theta[at.centroid(k)]);
            if (gap < 0.3 * settings.width.fwhm(theta[at.centroid(j)]) &&
                theta[at.area(j)] <= theta[at.area(k)])
                crowded = true;
        }
        if ((z < 1.0 || crowded) && z < worst_significance) {
            worst = j;
            worst_significance = z;
        }
    }
    if (!worst) return false;
    peaks.erase(peaks.begin() + static_cast<long>(*worst));
    return true;
}

// The channel where the residuals look most like a missing peak, with its significance.
PeakCandidate residual_peak(std::span<const double> counts, const Attempt& attempt,
                            const RegionSettings& settings) {
    const int first = attempt.model.first();
    const int last = attempt.model.last();
    std::vector<double> mu(attempt.model.channel_count());
    attempt.model.evaluate(attempt.fit.theta, mu, nullptr);
    const SecondDifferenceFilter filter(settings.width, settings.smoothing_points);
    // The residuals over every channel the filter reaches from the region: 0 with
    // variance 1 outside it.
    const int reach = std::max(filter.reach(first), filter.reach(last));
    const int low = std::max(first - reach, 0);
    const int high = std::min(last + reach, static_cast<int>(counts.size()) - 1);
    std::vector<double> residual(static_cast<std::size_t>(high - low + 1), 0.0),
        variance(residual.size(), 1.0);
    for (int ch = first; ch <= last; ++ch) {
        const auto i = static_cast<std::size_t>(ch - first);
        residual[static_cast<std::size_t>(ch - low)] = counts[static_cast<std::size_t>(ch)] - mu[i];
        variance[static_cast<std::size_t>(ch - low)] = std::max(mu[i], 1.0);
    }
    const auto& at = attempt.model.layout();
    PeakCandidate best;
    for (int ch = first + 1; ch < last; ++ch) {
        bool near = false;
        for (std::size_t j = 0; j < at.peaks; ++j)
            if (std::fabs(ch - attempt.fit.theta[at.centroid(j)]) < 0.5 * settings.width.fwhm(ch))
                near = true;
        if (near) continue;
        const FilterValue f = filter.at(residual, variance, ch, low);
        const double z = f.value / f.sigma;
        if (z > best.significance) best = {static_cast<double>(ch), z};
    }
    return best;
}

RegionResult describe(const Attempt& attempt, const RegionSettings& settings) {
    const auto& at = attempt.model.layout();
    const auto& theta = attempt.fit.theta;
    const auto& cov = attempt.fit.covariance;
    RegionResult result;
    result.first = attempt.model.first();
    result.last = attempt.model.last();
    result.model.resize(attempt.model.channel_count());
    attempt.model.evaluate(theta, result.model, nullptr);
    result.background = attempt.model.background(theta);
    result.curve = analysis::curve_of(attempt.model, theta);
    result.reduced_deviance = attempt.fit.reduced_deviance;
    result.converged = attempt.fit.converged;
    const double scale = theta[at.width_scale()];
    for (std::size_t j = 0; j < at.peaks; ++j) {
        FittedPeak peak;
        peak.centroid = theta[at.centroid(j)];
        peak.d_centroid = std::sqrt(std::max(cov(at.centroid(j), at.centroid(j)), 0.0));
        peak.area = theta[at.area(j)];
        peak.d_area = std::sqrt(std::max(cov(at.area(j), at.area(j)), 0.0));
        const double calibrated = settings.width.fwhm(peak.centroid);
        peak.fwhm = scale * calibrated;
        peak.d_fwhm =
            std::sqrt(std::max(cov(at.width_scale(), at.width_scale()), 0.0)) * calibrated;
        peak.width_fixed = cov(at.width_scale(), at.width_scale()) == 0.0;
        peak.tail_fitted = cov(at.tail(), at.tail()) != 0.0;
        peak.tail = theta[at.tail()];
        peak.high_tail_fitted = attempt.high_tail_free;
        peak.high_tail = theta[at.high_tail()];
        peak.high_share = theta[at.high_share()];
        peak.tails_tried = attempt.tail_shown;
        peak.manual = attempt.manual[j];
        peak.multiplet = at.peaks > 1;
        peak.reduced_deviance = attempt.fit.reduced_deviance;
        for (int ch = result.first; ch <= result.last; ++ch)
            if (std::fabs(ch - peak.centroid) <= 1.5 * peak.fwhm)
                peak.background += result.background[static_cast<std::size_t>(ch - result.first)];
        result.peaks.push_back(peak);
    }
    return result;
}

bool width_free(const Attempt& attempt) {
    const auto i = attempt.model.layout().width_scale();
    return attempt.fit.covariance(i, i) > 0.0;
}

bool tail_free(const Attempt& attempt) {
    const auto i = attempt.model.layout().tail();
    return attempt.fit.covariance(i, i) > 0.0;
}

bool high_tail_free(const Attempt& attempt) {
    return attempt.high_tail_free;
}

// A shape term of the region's own is worth its cost where it gains at least
// `needed` (a likelihood ratio), counted in the misfit that remains.
bool gain_pays(const Attempt& simpler, const Attempt& richer, double needed) {
    return simpler.fit.deviance - richer.fit.deviance >=
           needed * std::max(1.0, richer.fit.reduced_deviance);
}

// A tail adds no peak: one fitted where none is costs a little variance, one missed
// biases the area, so a three-sigma gain of its one parameter is enough (a further
// member must gain what the search asks of a peak).
constexpr double tail_gain_needed = 9.0;

bool tail_pays(const Attempt& simpler, const Attempt& richer) {
    return gain_pays(simpler, richer, tail_gain_needed);
}

bool width_free_or_tail_free(const Attempt& attempt) {
    return width_free(attempt) || tail_free(attempt);
}

// A free width significantly above the calibration hints at an unresolved multiplet.
bool suspiciously_wide(const Attempt& attempt) {
    if (!width_free(attempt)) return false;
    const auto i = attempt.model.layout().width_scale();
    const double excess = attempt.fit.theta[i] - 1.0;
    // The statistical uncertainty alone: a poor fit is itself a hint.
    const double spread =
        std::sqrt(attempt.fit.covariance(i, i) / std::max(1.0, attempt.fit.reduced_deviance));
    return excess > 2.0 * spread;
}

// The member of `attempt` nearest to `channel`.
std::size_t member_at(const Attempt& attempt, double channel) {
    const auto& at = attempt.model.layout();
    const auto& theta = attempt.fit.theta;
    std::size_t added = 0;
    for (std::size_t j = 1; j < at.peaks; ++j)
        if (std::fabs(theta[at.centroid(j)] - channel) <
            std::fabs(theta[at.centroid(added)] - channel))
            added = j;
    return added;
}

// Where the member added at `channel` lies beside a much stronger neighbour.
enum class ShapeZone {
    clear,   // in no neighbour's zone
    unseen,  // closer than a line 20 times weaker shows as a line of its own
    tail,    // where the neighbour's low tail may do the same
};

ShapeZone shape_zone(const Attempt& attempt, double channel, const RegionSettings& settings) {
    const auto& at = attempt.model.layout();
    const auto& theta = attempt.fit.theta;
    const std::size_t added = member_at(attempt, channel);
    const double position = theta[at.centroid(added)];
    ShapeZone zone = ShapeZone::clear;
    for (std::size_t j = 0; j < at.peaks; ++j) {
        if (j == added || theta[at.area(j)] < shape_zone_ratio * theta[at.area(added)]) continue;
        const double gap =
            (position - theta[at.centroid(j)]) / settings.width.fwhm(theta[at.centroid(j)]);
        // The tail reaches further on the low-energy side than a step on the high one.
        if (gap > -shape_zone_unseen && gap < shape_zone_high) return ShapeZone::unseen;
        if (gap > -shape_zone_low && gap < 0.0) zone = ShapeZone::tail;
    }
    return zone;
}

// The member added at `channel` lies above a much stronger line, and that line with a
// high tail of its own (pile-up) explains the counts better, or, in a spectrum whose
// lines have a high tail, nearly as well: a tail, not a line. Only the alternative
// with the tail freed is fitted, however weak the line. (Below a line the shape zone's
// tailed alternative and the pair test's tail check keep tails from becoming members.)
bool on_a_tail(std::span<const double> counts, const Region& region,
               const std::vector<PeakStart>& peaks, const Attempt& bigger, double channel,
               const RegionSettings& settings) {
    if (settings.shape != PeakShape::gauss_exp) return false;
    const auto& at = bigger.model.layout();
    const auto& theta = bigger.fit.theta;
    std::size_t added = 0;
    for (std::size_t j = 1; j < at.peaks; ++j)
        if (std::fabs(theta[at.centroid(j)] - channel) <
            std::fabs(theta[at.centroid(added)] - channel))
            added = j;
    bool above = false;
    for (std::size_t j = 0; j < at.peaks; ++j) {
        if (j == added || theta[at.area(j)] < tail_zone_ratio * theta[at.area(added)]) continue;
        const double gap = theta[at.centroid(added)] - theta[at.centroid(j)];
        const double reach = tail_zone_reach * settings.width.fwhm(theta[at.centroid(j)]);
        above = above || (gap > 0.0 && gap < reach);
    }
    if (!above) return false;
    const Attempt tailed = fit_once(counts, region.first, region.last, peaks, settings,
                                    {true, false, 0.0, true, true});
    if (!high_tail_free(tailed)) return false;
    const double needed = settings.high_tail > 0.0 ? settings.sensitivity * settings.sensitivity *
                                                         std::max(1.0, bigger.fit.reduced_deviance)
                                                   : 0.0;
    return tailed.fit.deviance - bigger.fit.deviance < needed;
}

// The relative widening of a line that two members make: the pair's variance beyond
// one member's, f (1 - f) d^2 for area fractions f, 1 - f and a distance d.
double pair_widening(double area_low, double area_high, double distance, double fwhm) {
    const double total = area_low + area_high;
    if (!(total > 0.0)) return 0.0;
    const double f = area_low / total;
    const double sigma = fwhm / fwhm_per_sigma;
    return std::sqrt(1.0 + f * (1.0 - f) * distance * distance / (sigma * sigma)) - 1.0;
}

bool in_broad_line(double channel, const RegionSettings& settings) {
    return std::any_of(
        settings.broad_lines.begin(), settings.broad_lines.end(),
        [&](const auto& range) { return channel >= range.first && channel <= range.second; });
}

// How strongly the residuals of a fit ask for a wider or skewed line at `centre`: the
// score of the widening and the skewness patterns (the Gaussian times its second and
// third Hermite polynomials), each in its own standard deviations. A pair of members
// shows first as these two; a fit of the pair is only worth its cost where they do.
struct PairScore {
    double widening = 0.0;
    double skew = 0.0;
};

PairScore pair_score(std::span<const double> counts, const Attempt& attempt,
                     const std::vector<double>& mu, double centre, double sigma) {
    PairScore score;
    double sw = 0.0, vw = 0.0, ss = 0.0, vs = 0.0;
    const int first = attempt.model.first();
    for (std::size_t i = 0; i < mu.size(); ++i) {
        const double u = (first + static_cast<double>(i) - centre) / sigma;
        if (std::fabs(u) > 4.0) continue;
        const double g = std::exp(-0.5 * u * u);
        const double dw = g * (u * u - 1.0);
        const double ds = g * u * (u * u - 3.0);
        const double weight = 1.0 / std::max(mu[i], 1.0);
        const double r = counts[static_cast<std::size_t>(first) + i] - mu[i];
        sw += weight * r * dw;
        vw += weight * dw * dw;
        ss += weight * r * ds;
        vs += weight * ds * ds;
    }
    if (vw > 0.0) score.widening = sw / std::sqrt(vw);
    if (vs > 0.0) score.skew = ss / std::sqrt(vs);
    return score;
}

// The scores are first-order: a pair is tried where they reach this part of the gain
// the pair must show.
constexpr double score_share_tried = 0.1;

// Each automatic peak of the fit tried as two members with the calibrated width: a
// pair is kept when it gains more deviance than the search threshold asks (two more
// parameters, counted in the misfit that remains), both members are reportable, and
// together they widen the line beyond what the calibration allows for one line.
// Correlated members carry the large uncertainties of the joint fit.
template <typename Fit>
void split_pairs(std::span<const double> counts, const Fit& fit, Attempt& attempt,
                 std::vector<PeakStart>& peaks, const RegionSettings& settings) {
    // A lone line whose free width came out no wider than a pair must make it is one
    // line: no refit with the width tied is needed to see that.
    if (width_free(attempt) && peaks.size() == 1 &&
        attempt.fit.theta[attempt.model.layout().width_scale()] < 1.0 + 0.5 * least_pair_widening)
        return;
    // The one-line alternative keeps its width within the calibration's tolerance: a
    // line a little wider than the calibration says is not split for that. It is
    // fitted only where needed: the residuals are scored on the reported fit where
    // that already has the spectrum's width and tail.
    std::optional<Attempt> banded;
    // Where the width is only guessed, the line and the pair alike take theirs within
    // the wider tolerance: a width that is merely off leaves a misfit in neither.
    const double guessed = unrefined_band(attempt, settings);
    const double band = guessed > 0.0 ? guessed : least_pair_widening;
    const Freedom band_only{false, false, band};
    if (width_free_or_tail_free(attempt)) banded = fit(peaks, band_only);
    Attempt screen = banded ? *banded : attempt;
    for (std::size_t j = 0; j < peaks.size(); ++j) {
        const auto& at = screen.model.layout();
        const double centre = screen.fit.theta[at.centroid(j)];
        if (peaks[j].manual || in_broad_line(centre, settings)) continue;
        // The fit with the shape free tells the strength: a tied width that is too
        // narrow for a pair scales the uncertainties up with its misfit.
        const double strength = std::max(area_significance(screen.fit, at, j),
                                         area_significance(attempt.fit, attempt.model.layout(), j));
        if (strength < settings.sensitivity) continue;
        const double fwhm = settings.width.fwhm(centre);
        std::vector<double> mu(screen.model.channel_count());
        screen.model.evaluate(screen.fit.theta, mu, nullptr);
        const PairScore score = pair_score(counts, screen, mu, centre, fwhm / fwhm_per_sigma);
        const double asked = settings.sensitivity * settings.sensitivity *
                             std::max(1.0, screen.fit.reduced_deviance);
        if (score.widening <= 0.0 ||
            score.widening * score.widening + score.skew * score.skew < score_share_tried * asked)
            continue;
        auto more = peaks;
        more[j] = {centre - pair_start_offset * fwhm, false};
        more.insert(more.begin() + static_cast<long>(j) + 1,
                    PeakStart{centre + pair_start_offset * fwhm, false});
        Attempt pair = fit(more, Freedom{false, false, guessed});
        const auto& pat = pair.model.layout();
        const auto& theta = pair.fit.theta;
        const double low_area = theta[pat.area(j)], high_area = theta[pat.area(j + 1)];
        const double distance = theta[pat.centroid(j + 1)] - theta[pat.centroid(j)];
        const double needed =
            settings.sensitivity * settings.sensitivity * std::max(1.0, pair.fit.reduced_deviance);
        const double smaller =
            std::min(area_significance(pair.fit, pat, j), area_significance(pair.fit, pat, j + 1));
        const bool apart = distance > closest_pair * fwhm && distance <= farthest_pair * fwhm;
        const bool placed = pair.fit.covariance(pat.centroid(j), pat.centroid(j)) > 0.0 &&
                            pair.fit.covariance(pat.centroid(j + 1), pat.centroid(j + 1)) > 0.0;
        const double member_fwhm = fwhm * theta[pat.width_scale()];
        const bool wide =
            pair_widening(low_area, high_area, distance, member_fwhm) >=
            (settings.width.refined ? least_pair_widening : least_pair_widening_unrefined);
        const double ratio =
            std::max(low_area, high_area) / std::max(std::min(low_area, high_area), 1e-9);
        if (smaller < 0.5 * settings.sensitivity || !apart || !placed || !wide ||
            ratio > shape_zone_ratio)
            continue;
        if (!banded) banded = fit(peaks, band_only);
        if (banded->fit.deviance - pair.fit.deviance < needed) continue;
        // A weaker member on the low-energy side (or, in a spectrum whose lines have a
        // high tail, on the high side) may be a longer tail than the spectrum's: the
        // pair must also beat the line with its own tail on that side.
        const bool low_weaker = low_area < high_area;
        if (settings.shape == PeakShape::gauss_exp &&
            (low_weaker || (low_area > high_area && settings.high_tail > 0.0))) {
            const Attempt tailed = fit(peaks, Freedom{false, low_weaker, band, !low_weaker});
            const bool freed = low_weaker ? tail_free(tailed) : high_tail_free(tailed);
            if (freed && tailed.fit.deviance - pair.fit.deviance < needed) continue;
        }
        peaks = std::move(more);
        banded.reset();
        screen = pair;
        attempt = std::move(pair);
        ++j;  // the high member is not tried again
    }
}

}  // namespace

RegionResult fit_region(std::span<const double> counts, const Region& region,
                        const RegionSettings& settings) {
    std::vector<PeakStart> peaks = region.peaks;
    bool may_tail = true;
    bool may_high_tail = false;
    auto fit = [&](const std::vector<PeakStart>& starts, bool may_width, double width_band = 0.0) {
        return fit_once(counts, region.first, region.last, starts, settings,
                        {may_width, may_tail && may_width, width_band, may_high_tail && may_width});
    };
    Attempt attempt = fit(peaks, true);
    // Each tail of the region's own is kept where it gains more than it costs against
    // the spectrum's: first the low one, the high one once the members are known (a
    // weaker line above a stronger one looks like a high tail until it is fitted;
    // only in a spectrum whose lines have a high tail must a member beat one).
    // A negligible tail is none (so it counts when the spectrum's tail is pooled).
    const bool negligible =
        tail_free(attempt) && attempt.fit.theta[attempt.model.layout().tail()] >= negligible_tail;
    if (negligible || (tail_free(attempt) && !settings.pool_tails)) {
        may_tail = false;
        Attempt spectrum_tail = fit(peaks, true);
        if (!negligible && tail_pays(spectrum_tail, attempt))
            may_tail = true;
        else
            attempt = std::move(spectrum_tail);
    }
    for (int round = 0; round < 4 && drop_vanished(attempt, settings, peaks); ++round) {
        if (peaks.empty()) break;
        attempt = fit(peaks, true);
    }
    if (peaks.empty()) return RegionResult{region.first, region.last, {}, {}, {}, 0.0, true, {}};
    if (settings.search_residuals) {
        // Residuals are looked at with the calibrated width, where a hidden member shows.
        // A free width or tail may have swallowed a neighbour: widened, or a poor fit.
        const bool shape_free = width_free(attempt) || tail_free(attempt);
        const bool doubtful =
            suspiciously_wide(attempt) || (shape_free && attempt.fit.reduced_deviance > 1.5);
        Attempt base = doubtful ? fit(peaks, false) : attempt;
        // A tail much longer than the spectrum's other peaks have is no better an
        // explanation than a hidden neighbour: the gain is counted from the fit
        // with the spectrum's tail.
        double reference = attempt.fit.deviance;
        const double own_tail = attempt.fit.theta[attempt.model.layout().tail()];
        if (doubtful && tail_free(attempt) && own_tail < 0.6 * settings.tail) {
            reference = fit_once(counts, region.first, region.last, peaks, settings,
                                 {true, false, 0.0, may_high_tail})
                            .fit.deviance;
        }
        for (int added = 0; added < 2; ++added) {
            const PeakCandidate hidden = residual_peak(counts, base, settings);
            if (hidden.significance < settings.sensitivity) break;
            auto more = peaks;
            more.push_back({hidden.channel, false});
            std::sort(more.begin(), more.end(),
                      [](const PeakStart& a, const PeakStart& b) { return a.channel < b.channel; });
            // A guessed width is left to the members: its misfit would otherwise hide
            // the member looked for.
            Attempt bigger = fit(more, true, unrefined_band(base, settings));
            const double gain = std::min(reference, base.fit.deviance) - bigger.fit.deviance;
            bool all_significant = true;
            for (std::size_t j = 0; j < more.size(); ++j)
                if (!more[j].manual && area_significance(bigger.fit, bigger.model.layout(), j) <
                                           0.5 * settings.sensitivity)
                    all_significant = false;
            // More members must also explain the data better than the fit that would
            // otherwise be reported: a strong peak whose shape differs a little from
            // the model is not split in two.
            const bool better = bigger.fit.deviance < attempt.fit.deviance;
            // The gain counts in the misfit that remains: where the model's shape differs
            // from the peak's, a further member gains much and explains little.
            const double needed = settings.sensitivity * settings.sensitivity *
                                  std::max(1.0, bigger.fit.reduced_deviance);
            const bool a_line =
                area_significance(bigger.fit, bigger.model.layout(),
                                  member_at(bigger, hidden.channel)) >= settings.sensitivity;
            const ShapeZone zone = shape_zone(bigger, hidden.channel, settings);
            if (gain < needed || !all_significant || !better || !a_line ||
                zone == ShapeZone::unseen ||
                on_a_tail(counts, region, peaks, bigger, hidden.channel, settings))
                break;
            // Further below a much stronger line the member must also beat that line with
            // a low tail of its own; a model without tails cannot weigh that.
            if (zone == ShapeZone::tail) {
                if (settings.shape != PeakShape::gauss_exp) break;
                const Attempt tailed =
                    fit_once(counts, region.first, region.last, peaks, settings,
                             {true, true, unrefined_band(base, settings), false, true});
                if (tailed.fit.deviance - bigger.fit.deviance < needed) break;
            }
            peaks = std::move(more);
            reference = bigger.fit.deviance;
            attempt = bigger;
            base = std::move(bigger);
        }
    }
    if (settings.split_pairs && settings.search_residuals) {
        auto fit_shape = [&](const std::vector<PeakStart>& starts, const Freedom& free) {
            return fit_once(counts, region.first, region.last, starts, settings, free);
        };
        split_pairs(counts, fit_shape, attempt, peaks, settings);
    }
    if (attempt.tail_shown) {
        may_high_tail = true;
        Attempt high = fit(peaks, true);
        const double k = high.fit.theta[high.model.layout().high_tail()];
        if (high_tail_free(high) && k < negligible_tail && tail_pays(attempt, high)) {
            if (!settings.pool_tails) return describe(high, settings);
            // Measuring: the tail is told, the width comes from the line without it.
            RegionResult told = describe(attempt, settings);
            for (auto& peak : told.peaks) {
                peak.high_tail_fitted = true;
                peak.high_tail = k;
                peak.high_share = high.fit.theta[high.model.layout().high_share()];
            }
            return told;
        }
    }
    return describe(attempt, settings);
}

bool reported(const FittedPeak& peak, double sensitivity) {
    if (peak.manual) return true;
    return peak.area > 0.0 && peak.area >= 0.5 * sensitivity * peak.d_area;
}

}  // namespace sorvane::analysis
