#include "analyse_spectrum.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/peak_search.h"
#include "analysis/peak_shape.h"
#include "analysis/regions.h"

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

std::vector<PeakStart> starting_peaks(std::span<const double> counts,
                                      const AnalysisOptions& options, const SpectrumAnalysis& out,
                                      std::vector<double>& significance) {
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
    for (const auto& c : search_peaks(counts, out.first, out.last, out.width,
                                      options.smoothing_points, options.pkf_sens)) {
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
    if (!analysed_range(counts.size(), options, out)) return out;
    if (options.manual_search && options.manual_peaks.empty())
        out.messages.push_back("manual peak search without peak channels");

    std::vector<double> significance;
    const auto starts = starting_peaks(counts, options, out, significance);
    const bool tails = options.shape == PeakShape::gauss_exp;

    RegionSettings settings;
    settings.width = out.width;
    settings.shape = options.shape;
    settings.bkg_shape = options.bkg_shape;
    settings.tail = max_tail;
    settings.sensitivity = options.pkf_sens;
    settings.smoothing_points = options.smoothing_points;

    // Regions are drawn once, with the starting width calibration.
    const auto regions = group_regions(starts, out.width, out.first, out.last, tails);
    auto significant = [&](const Region& region) {
        const auto at = std::find_if(starts.begin(), starts.end(), [&](const PeakStart& p) {
            return p.channel == region.peaks.front().channel;
        });
        return at != starts.end() &&
               significance[static_cast<std::size_t>(at - starts.begin())] >= calibration_candidate;
    };

    // First pass: the strong lone peaks measure the width and the tail.
    settings.search_residuals = !options.manual_search;
    std::vector<std::optional<RegionResult>> first_pass(regions.size());
    std::vector<WidthSample> widths;
    std::vector<double> tail_values;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        if (regions[r].peaks.size() != 1 || !significant(regions[r])) continue;
        RegionResult fit = fit_region(counts, regions[r], settings);
        for (const auto& peak : fit.peaks) {
            if (fit.peaks.size() != 1 || peak.width_fixed || !fit.converged ||
                fit.reduced_deviance > 3.0 || !(peak.d_fwhm > 0.0))
                continue;
            widths.push_back({peak.centroid, peak.fwhm, peak.d_fwhm});
            // A strong peak whose tail came out negligible counts as one without a tail.
            if (tails) tail_values.push_back(peak.tail_fitted ? peak.tail : max_tail);
        }
        first_pass[r] = std::move(fit);
    }
    const WidthCalibration start_width = out.width;
    const WidthCalibration refined =
        refine_width_calibration(out.width, widths, out.first, out.last);
    if (refined.refined) out.width = refined;
    if (!tail_values.empty()) settings.tail = std::clamp(median(tail_values), min_tail, max_tail);

    // Final pass with the refined width; a first-pass fit that depended on neither
    // the width calibration nor the tail setting stands as it is.
    settings.width = out.width;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        const auto& earlier = first_pass[r];
        bool keep = earlier && !earlier->peaks.empty();
        if (keep) {
            for (const auto& peak : earlier->peaks) {
                const double change =
                    out.width.fwhm(peak.centroid) / start_width.fwhm(peak.centroid);
                if (peak.width_fixed || std::fabs(change - 1.0) > 0.03) keep = false;
                if (tails && !peak.tail_fitted && settings.tail != max_tail) keep = false;
            }
        }
        RegionResult fit = keep ? *earlier : fit_region(counts, regions[r], settings);
        if (!fit.converged)
            out.messages.push_back("the fit of channels " + std::to_string(fit.first) + ".." +
                                   std::to_string(fit.last) + " did not converge");
        for (const auto& peak : fit.peaks) {
            if (!reported(peak, options.pkf_sens)) continue;
            ReportedPeak shown{peak, out.energy.energy(peak.centroid), 0.0, 0.0};
            const double slope = out.energy.slope(peak.centroid);
            shown.d_energy = std::fabs(slope) * peak.d_centroid;
            shown.fwhm_kev = std::fabs(slope) * peak.fwhm;
            out.peaks.push_back(shown);
        }
        out.regions.push_back(std::move(fit));
    }
    std::sort(out.peaks.begin(), out.peaks.end(), [](const ReportedPeak& a, const ReportedPeak& b) {
        return a.fit.centroid < b.fit.centroid;
    });
    return out;
}

}  // namespace sorvane
