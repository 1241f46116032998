#include "pipeline/analyse_spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "analysis/peak_search.h"
#include "analysis/peak_shape.h"
#include "analysis/regions.h"
#include "analysis/width_start.h"
#include "pipeline/peak_flags.h"
#include "pipeline/scatter_features.h"
#include "pipeline/spikes.h"
#include "pipeline/weak_peaks.h"

namespace sorvane {
namespace {

using namespace analysis;

// Significance of a search candidate worth fitting for the width refinement.
constexpr double calibration_candidate = 10.0;

bool analysed_range(std::size_t channels, const AnalysisOptions& options, SpectrumAnalysis& out) {
    out.first = 0;
    out.last = static_cast<int>(channels) - 1;
    if (!options.cal_area_all) {
        const double from = std::max(options.cal_area_from, 0.0);
        const double to = std::min(options.cal_area_to, static_cast<double>(out.last));
        if (!(from < to)) {
            out.messages.push_back("the analysed range " + std::to_string(options.cal_area_from) +
                                   ".." + std::to_string(options.cal_area_to) +
                                   " holds no channel of the spectrum");
            out.last = -1;
            return false;
        }
        out.first = static_cast<int>(std::ceil(from));
        out.last = static_cast<int>(std::floor(to));
    }
    if (out.last - out.first < 8) {
        out.messages.push_back("the analysed range holds fewer than 9 channels");
        return false;
    }
    return true;
}

// The search's candidates at the sensitivity, with their significance; with `weak`,
// the search goes on down to the weak lines' floor and puts the channels found below
// the sensitivity there.
std::vector<PeakStart> starting_peaks(std::span<const double> counts,
                                      const AnalysisOptions& options, const SpectrumAnalysis& out,
                                      std::vector<double>& significance,
                                      std::vector<double>* weak = nullptr) {
    std::vector<PeakStart> peaks;
    if (options.manual_search) {
        for (double channel : options.manual_peaks) {
            if (channel >= out.first && channel <= out.last) {
                peaks.push_back({channel, true});
                significance.push_back(calibration_candidate);
            }
        }
        return peaks;
    }
    const double floor = weak ? weak_search_floor(options.pkf_sens) : options.pkf_sens;
    for (const auto& c :
         search_peaks(counts, out.first, out.last, out.width, options.smoothing_points, floor)) {
        if (c.significance < options.pkf_sens) {
            weak->push_back(c.channel);
            continue;
        }
        peaks.push_back({c.channel, false});
        significance.push_back(c.significance);
    }
    return peaks;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Most rounds of measuring the widths: a start twice off settles in two.
constexpr int calibration_rounds = 3;
// Most regions fitted to measure the peak shape.
constexpr std::size_t most_shape_regions = 24;
// Candidates this many FWHM of the starting calibration apart may be one line split.
constexpr double split_reach = 2.5;
// A change of the width calibration below this ends the measuring.
constexpr double width_change_kept = 0.03;

// Fewer lines than this cannot tell a spectrum's high tail from lines that all have
// a weaker neighbour just above them.
constexpr std::size_t fewest_high_tail_lines = 5;

// The median of the high tails the strong lone lines showed (0 where a line showed
// none): none unless two thirds of at least five lines have one. Pile-up tails every
// line; in a spectrum of unresolved pairs the weaker member lies on either side, so
// about half the lines look tailed above.
double high_tail_of(std::vector<double> ks) {
    const auto shown = std::count_if(ks.begin(), ks.end(), [](double k) { return k > 0.0; });
    if (ks.size() < fewest_high_tail_lines || 3 * shown < 2 * static_cast<long>(ks.size()))
        return 0.0;
    ks.erase(std::remove(ks.begin(), ks.end(), 0.0), ks.end());
    return std::clamp(median(ks), min_tail, max_tail);
}

// A lone line fitted well enough to show its width. A poor fit hints at a neighbour
// hidden in it, but in a long count a line whose shape differs from the model's by a
// few per cent misfits far beyond its counting statistics, and its width is still the
// line's: where the clean lines cannot give the widths, the misfit is weighed
// against the line's own strength.
constexpr double clean_fit = 3.0;
constexpr double shape_misfit = 0.05;

bool shows_its_width(const RegionResult& fit, const FittedPeak& peak) {
    if (!(peak.d_area > 0.0)) return false;
    // The covariance carries the misfit; the counts alone give the strength.
    const double strength = peak.area / peak.d_area * std::sqrt(fit.reduced_deviance);
    const double excess = (fit.reduced_deviance - 1.0) * (fit.last - fit.first + 1);
    return excess <= (shape_misfit * strength) * (shape_misfit * strength);
}

// The spectrum's peak shape as its strong lone peaks show it.
struct ShapePass {
    WidthCalibration width;  // the calibration the samples were measured with
    double tail = max_tail;
    double high_tail = 0.0;  // none
    double high_share = 1.0;
    std::vector<WidthSample> samples;
    std::vector<WidthSample> misfit_samples;  // strong lines the model misfits
    std::vector<double> tails;
    std::vector<double> high_tails;
    std::vector<double> high_shares;  // of the lines that showed a high tail
};

ShapePass measure_shape(std::span<const double> counts, const AnalysisOptions& options,
                        const SpectrumAnalysis& out, const WidthCalibration& width,
                        RegionSettings settings) {
    ShapePass pass;
    pass.width = width;
    const bool tails = options.shape == PeakShape::gauss_exp;
    std::vector<double> significance;
    SpectrumAnalysis at = out;
    at.width = width;
    const auto starts = starting_peaks(counts, options, at, significance);
    const auto regions = group_regions(starts, width, out.first, out.last, tails);
    auto significance_of = [&](const PeakStart& peak) {
        const auto it = std::find_if(starts.begin(), starts.end(),
                                     [&](const PeakStart& p) { return p.channel == peak.channel; });
        return it == starts.end() ? 0.0
                                  : significance[static_cast<std::size_t>(it - starts.begin())];
    };
    // Each candidate line is fitted alone with its width free, looking for no hidden members.
    settings.width = width;
    settings.search_residuals = false;
    settings.free_width = true;
    settings.pool_tails = true;
    // The strongest regions measure the shape; a few dozen of them fix it well enough.
    std::vector<std::pair<double, const Region*>> ranked;
    for (const auto& region : regions) {
        double best = 0.0;
        for (const auto& peak : region.peaks) best = std::max(best, significance_of(peak));
        if (best >= calibration_candidate) ranked.emplace_back(best, &region);
    }
    std::sort(ranked.begin(), ranked.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    if (ranked.size() > most_shape_regions) ranked.resize(most_shape_regions);
    for (const auto& [best, chosen] : ranked) {
        Region region = *chosen;
        const auto strongest = std::max_element(region.peaks.begin(), region.peaks.end(),
                                                [&](const PeakStart& a, const PeakStart& b) {
                                                    return significance_of(a) < significance_of(b);
                                                });
        const bool lone = region.peaks.size() == 1;
        if (!lone) {
            // With widths far too narrow one line gives several candidates: the
            // strongest alone measures the width when the others lie within its reach.
            const double reach = split_reach * width.fwhm(strongest->channel);
            if (region.peaks.back().channel - region.peaks.front().channel > reach) continue;
            region.peaks = {*strongest};
        }
        RegionResult fit = fit_region(counts, region, settings);
        if (fit.peaks.size() == 1) {
            const auto& peak = fit.peaks.front();
            const bool measured = !peak.width_fixed && fit.converged && peak.d_fwhm > 0.0;
            if (measured && fit.reduced_deviance > clean_fit && shows_its_width(fit, peak))
                pass.misfit_samples.push_back({peak.centroid, peak.fwhm, peak.d_fwhm});
            if (measured && fit.reduced_deviance <= clean_fit) {
                pass.samples.push_back({peak.centroid, peak.fwhm, peak.d_fwhm});
                // A strong peak whose tail came out negligible counts as one without a tail.
                if (tails) pass.tails.push_back(peak.tail_fitted ? peak.tail : max_tail);
                // Pile-up tails every line: the spectrum has one where most of the lines
                // strong enough to show it do.
                if (tails && peak.tails_tried)
                    pass.high_tails.push_back(peak.high_tail_fitted ? peak.high_tail : 0.0);
                if (tails && peak.tails_tried && peak.high_tail_fitted)
                    pass.high_shares.push_back(peak.high_share);
            }
        }
    }
    if (!pass.tails.empty()) pass.tail = std::clamp(median(pass.tails), min_tail, max_tail);
    if (!pass.high_tails.empty()) pass.high_tail = high_tail_of(pass.high_tails);
    if (pass.high_tail > 0.0 && !pass.high_shares.empty())
        pass.high_share = std::clamp(median(pass.high_shares), 0.0, 1.0);
    return pass;
}

// Points this far from the widths the spectrum shows are worth telling the user about.
constexpr double points_far_off = 0.30;

// Whether the points' widths differ from `widths` by more than points_far_off at
// either point.
bool far_off(const WidthCalibration& points, const WidthCalibration& widths,
             const AnalysisOptions& options) {
    for (const auto& point : {options.low, options.high})
        if (std::fabs(points.fwhm(point.channel) / widths.fwhm(point.channel) - 1.0) >
            points_far_off)
            return true;
    return false;
}

// The width calibration fitted to the spectrum's clean peaks, measured again with
// the calibration learnt while it moves: regions drawn with widths far off hold
// their peaks badly.
ShapePass learn_shape(std::span<const double> counts, const AnalysisOptions& options,
                      SpectrumAnalysis& out, const RegionSettings& settings) {
    // The points are only a first guess of the widths: the spectrum's own strongest
    // lines, read at half height, set the start, so points off by any factor agree.
    const auto read = width_from_spectrum(counts, out.first, out.last, out.points_width,
                                          options.smoothing_points);
    if (read) out.width = read->start;
    ShapePass pass = measure_shape(counts, options, out, out.width, settings);
    for (int round = 0; round < calibration_rounds; ++round) {
        WidthCalibration fitted =
            refine_width_calibration(pass.width, pass.samples, out.first, out.last);
        if (!fitted.refined && !pass.misfit_samples.empty()) {
            pass.samples.insert(pass.samples.end(), pass.misfit_samples.begin(),
                                pass.misfit_samples.end());
            fitted = refine_width_calibration(pass.width, pass.samples, out.first, out.last);
        }
        if (!fitted.refined) {
            if (round == 0) {
                // Points far off what the lines show at half height are no guess of the
                // widths at all: the half-height reading is then the better one.
                const bool read_widths = read && far_off(out.points_width, read->typical, options);
                out.width = read_widths ? read->typical : out.points_width;
                // Lines too few to show the widths cannot tell the spectrum's tail from
                // a weaker neighbour just below them either: each region weighs its own.
                pass.tail = max_tail;
                if (!options.manual_search)
                    out.messages.push_back(
                        read_widths
                            ? "fewer than three clean peaks show the peak width: the FWHM "
                              "points are more than 30 % off the widths read at half height, "
                              "which are used instead"
                            : "fewer than three clean peaks show the peak width: the FWHM "
                              "points are used as given");
            }
            break;
        }
        double change = 0.0;
        for (const auto& s : pass.samples)
            change = std::max(change,
                              std::fabs(fitted.fwhm(s.channel) / pass.width.fwhm(s.channel) - 1.0));
        out.width = fitted;
        if (change < width_change_kept) break;
        pass = measure_shape(counts, options, out, fitted, settings);
    }
    return pass;
}

// The annihilation line is Doppler-broadened: wider than the calibration, yet one line.
constexpr double annihilation_kev = 511.0;
constexpr double annihilation_reach_kev = 3.0;

std::optional<std::pair<double, double>> annihilation_channels(const EnergyCalibration& energy) {
    if (energy.c0 == 0.0 && energy.c1 == 1.0 && energy.c2 == 0.0) return std::nullopt;
    auto channel_of = [&](double kev) {
        double ch = (kev - energy.c0) / energy.c1;
        for (int i = 0; i < 4; ++i) {
            const double slope = energy.slope(ch);
            if (slope == 0.0) break;
            ch -= (energy.energy(ch) - kev) / slope;
        }
        return ch;
    };
    double low = channel_of(annihilation_kev - annihilation_reach_kev);
    double high = channel_of(annihilation_kev + annihilation_reach_kev);
    if (!std::isfinite(low) || !std::isfinite(high)) return std::nullopt;
    if (low > high) std::swap(low, high);
    return std::make_pair(low, high);
}

// Neighbours closer than one FWHM show no separate maxima: an unresolved pair, whose
// areas the joint fit shares out (their uncertainties say how well).
void mark_unresolved_pairs(std::vector<ReportedPeak>& peaks, const WidthCalibration& width) {
    for (std::size_t i = 1; i < peaks.size(); ++i) {
        const double low = peaks[i - 1].fit.centroid, high = peaks[i].fit.centroid;
        if (high - low >= width.fwhm(0.5 * (low + high))) continue;
        if (peaks[i - 1].pair_with == 0) peaks[i - 1].pair_with = static_cast<int>(i + 1);
        peaks[i].pair_with = static_cast<int>(i);
    }
}

void note_points_far_off(const AnalysisOptions& options, SpectrumAnalysis& out) {
    if (!far_off(out.points_width, out.width, options)) return;
    auto at = [&](const CalibrationPoint& point) {
        char text[96];
        std::snprintf(text, sizeof text, "%.2f ch at channel %.0f (fitted %.2f)", point.fwhm,
                      point.channel, out.width.fwhm(point.channel));
        return std::string(text);
    };
    out.messages.push_back(
        "the FWHM points are more than 30 % off the widths of the spectrum's "
        "peaks: " +
        at(options.low) + ", " + at(options.high));
}

// A peak is reported by the reporting rule and, where `least_significance` is given,
// with an area of at least that many standard deviations.
// Returns how many it reported.
std::size_t report(const RegionResult& fit, const AnalysisOptions& options, SpectrumAnalysis& out,
                   double least_significance = 0.0) {
    const std::size_t before = out.peaks.size();
    if (!fit.converged)
        out.messages.push_back("the fit of channels " + std::to_string(fit.first) + ".." +
                               std::to_string(fit.last) + " did not converge");
    for (const auto& peak : fit.peaks) {
        if (!reported(peak, options.pkf_sens)) continue;
        if (!peak.manual && peak.area < least_significance * peak.d_area) continue;
        // A fitted width below half the calibration's (free, or at its bound) belongs
        // to no line (a spike).
        if (!peak.manual && peak.fwhm < narrowest_line * out.width.fwhm(peak.centroid)) continue;
        ReportedPeak shown{peak, out.energy.energy(peak.centroid), 0.0, 0.0};
        const double slope = out.energy.slope(peak.centroid);
        shown.d_energy = std::fabs(slope) * peak.d_centroid;
        shown.fwhm_kev = std::fabs(slope) * peak.fwhm;
        shown.converged = fit.converged;
        out.peaks.push_back(shown);
    }
    return out.peaks.size() - before;
}

}  // namespace

SpectrumAnalysis analyse_spectrum(std::span<const double> counts,
                                  std::span<const float> energy_terms,
                                  const AnalysisOptions& raw_options) {
    const AnalysisOptions options = clamped(raw_options);
    SpectrumAnalysis out;
    std::string message;
    out.energy = energy_calibration(options, energy_terms, message);
    if (!message.empty()) out.messages.push_back(message);
    out.width = width_calibration(options);
    out.points_width = out.width;
    if (!analysed_range(counts.size(), options, out)) return out;
    if (options.manual_search && options.manual_peaks.empty())
        out.messages.push_back("manual peak search without peak channels");
    const bool tails = options.shape == PeakShape::gauss_exp;

    RegionSettings settings;
    settings.shape = options.shape;
    settings.bkg_shape = options.bkg_shape;
    settings.tail = max_tail;
    settings.sensitivity = options.pkf_sens;
    settings.smoothing_points = options.smoothing_points;
    settings.search_residuals = !options.manual_search;

    if (const auto line = annihilation_channels(out.energy)) settings.broad_lines.push_back(*line);

    // First the strong lone peaks measure the width and the tail.
    const ShapePass shape = learn_shape(counts, options, out, settings);
    settings.width = out.width;
    settings.tail = shape.tail;
    settings.high_tail = shape.high_tail;
    settings.high_share = shape.high_share;
    if (out.width.refined) note_points_far_off(options, out);

    // Then the peaks are searched, grouped and fitted with what they showed.
    std::vector<double> significance, weak;
    const auto starts = starting_peaks(counts, options, out, significance, &weak);
    const auto regions = group_regions(starts, out.width, out.first, out.last, tails);
    // A region is fitted again beside a spike it held, up to a few times.
    constexpr int most_spike_splits = 3;
    std::vector<std::pair<Region, int>> pending;
    for (auto it = regions.rbegin(); it != regions.rend(); ++it) pending.emplace_back(*it, 0);
    while (!pending.empty()) {
        const auto [region, splits] = pending.back();
        pending.pop_back();
        RegionResult fit = fit_region(counts, region, settings);
        const auto split = splits < most_spike_splits
                               ? split_at_spike(counts, fit, region, out.width, tails)
                               : std::nullopt;
        if (!split) {
            report(fit, options, out);
            out.regions.push_back(std::move(fit));
            continue;
        }
        out.messages.push_back("a spike at channel " +
                               std::to_string(std::lround(split->spike_channel)) +
                               ", narrower than any line, is left out of the fit of the peaks "
                               "beside it");
        for (auto it = split->parts.rbegin(); it != split->parts.rend(); ++it)
            pending.emplace_back(*it, splits + 1);
    }
    // Weaker candidates apart from every fitted region are fitted and decided alone;
    // only a region that shows a line is kept (a fit that did not converge shows none).
    if (!weak.empty()) {
        for (RegionResult& fit : fit_weak_candidates(counts, weak, settings, tails, out)) {
            if (fit.converged &&
                report(fit, options, out, weak_line_significance(options.pkf_sens)) > 0)
                out.regions.push_back(std::move(fit));
        }
        std::sort(out.regions.begin(), out.regions.end(),
                  [](const RegionResult& a, const RegionResult& b) { return a.first < b.first; });
    }
    std::sort(out.peaks.begin(), out.peaks.end(), [](const ReportedPeak& a, const ReportedPeak& b) {
        return a.fit.centroid < b.fit.centroid;
    });
    // Without an energy calibration the scattering energies are unknown.
    const bool calibrated = !(out.energy.c0 == 0.0 && out.energy.c1 == 1.0 && out.energy.c2 == 0.0);
    if (const auto dropped = calibrated ? drop_scatter_features(out.peaks) : 0; dropped > 0)
        out.messages.push_back(std::to_string(dropped) +
                               " peak-like features at the Compton edge or backscatter energy "
                               "of a far stronger line are not reported");
    mark_unresolved_pairs(out.peaks, out.width);
    assign_flags(out.peaks, out.width, calibrated);
    return out;
}

}  // namespace sorvane
