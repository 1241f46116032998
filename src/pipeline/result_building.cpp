#include "pipeline/result_building.h"

#include <limits>

#include "contract/result_schema.h"
#include "pipeline/peak_flags.h"
#include "results/result_fields.h"
#include "results/result_writer.h"

namespace sorvane {
namespace {

using analysis::AnalysisOptions;

SpectrumPart spectrum_part(const SpectrumFacts& facts, int first, int last) {
    SpectrumPart part;
    part.input = facts.input_path;
    if (!facts.raw_path.empty()) {
        part.raw_file = facts.raw_path;
        part.raw_type = facts.raw_type;
    }
    part.start = facts.start;
    part.live_time = facts.live_time;
    part.real_time = facts.real_time;
    part.channels = static_cast<double>(facts.channels);
    if (last >= first) part.analysed_range = {double(first), double(last)};
    return part;
}

OptionsPart options_part(const AnalysisOptions& options) {
    const auto codes = analysis::option_codes(options);
    OptionsPart part;
    Number* code_fields[] = {&part.pk_search,        &part.smoothing, &part.pk_shape,
                             &part.fitted_data_plot, &part.raw_data,  &part.energy_calib,
                             &part.cal_area};
    for (std::size_t i = 0; i < std::size(code_fields); ++i) *code_fields[i] = codes[i];
    part.bkg_shape = options.bkg_shape;
    part.pkf_sens = options.pkf_sens;
    part.cal_area_from = options.cal_area_from;
    part.cal_area_to = options.cal_area_to;
    part.cal_low = {options.low.channel, options.low.energy, options.low.fwhm};
    part.cal_high = {options.high.channel, options.high.energy, options.high.fwhm};
    part.manual_pk_ch = options.manual_peaks;
    return part;
}

// The energy and width calibrations used, the width's fitted coefficients with their
// uncertainties and how many clean peaks set them.
CalibrationPart calibration_part(const SpectrumAnalysis& analysis, const AnalysisOptions& options) {
    const auto& width = analysis.width;
    CalibrationPart part;
    part.energy = {analysis.energy.c0, analysis.energy.c1, analysis.energy.c2};
    part.energy_source = analysis.energy.from_file ? "file" : "manual";
    // Neither the CHN file nor two manual points carry an uncertainty of the calibration.
    part.d_energy_includes_calibration = "no (the calibration came without uncertainty)";
    part.fwhm = {width.a, width.b, width.c};
    part.d_fwhm = {width.d_a, width.d_b, width.d_c};
    part.fwhm_peaks = width.peaks_used;
    part.fwhm_refined = width.refined;
    // The user's FWHM points beside the fitted widths at the same channels: the points
    // are the fit's first guess, no longer its answer.
    part.fwhm_points = {options.low.channel, options.low.fwhm, options.high.channel,
                        options.high.fwhm};
    part.fwhm_at_points = {width.fwhm(options.low.channel), width.fwhm(options.high.channel)};
    return part;
}

PeakRow peak_row(std::size_t number, const ReportedPeak& peak, double live_time) {
    const auto& f = peak.fit;
    const bool timed = live_time > 0.0;
    PeakRow row;
    row.no = static_cast<double>(number);
    row.channel = f.centroid;
    row.d_channel = f.d_centroid;
    row.energy = peak.energy;
    row.d_energy = peak.d_energy;
    row.fwhm_ch = f.fwhm;
    row.fwhm_kev = peak.fwhm_kev;
    row.area = f.area;
    row.d_area = f.d_area;
    if (f.area > 0.0) row.d_area_pct = 100.0 * f.d_area / f.area;
    row.background = f.background;
    if (timed) {
        row.cps = f.area / live_time;
        row.d_cps = f.d_area / live_time;
    }
    row.chi2r = f.reduced_deviance;
    row.flags = peak.flags == "-" ? std::string() : peak.flags;
    if (peak.pair_with > 0) row.pair_with = peak.pair_with;
    return row;
}

// The legend of the peaks' flag letters, one "letter = meaning" per line.
std::vector<std::pair<std::string, std::string>> flag_legend() {
    std::vector<std::pair<std::string, std::string>> legend;
    for (const auto& flag : peak_flag_legend())
        legend.emplace_back(std::string(1, flag.letter), std::string(flag.meaning));
    return legend;
}

ResultModel common_result(const SpectrumFacts& facts, const AnalysisOptions& options, int first,
                          int last) {
    ResultModel model;
    model.spectrum = spectrum_part(facts, first, last);
    model.options = options_part(options);
    model.peaks.columns = column_names(peak_columns(), false);
    model.flag_legend = flag_legend();
    return model;
}

}  // namespace

ChannelModel channel_model(const SpectrumAnalysis& analysis, std::size_t channels) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    ChannelModel model{std::vector<double>(channels, none), std::vector<double>(channels, none)};
    for (const auto& region : analysis.regions) {
        for (int ch = region.first; ch <= region.last; ++ch) {
            const auto i = static_cast<std::size_t>(ch - region.first);
            if (ch < 0 || static_cast<std::size_t>(ch) >= channels || i >= region.model.size())
                continue;
            model.fit[static_cast<std::size_t>(ch)] = region.model[i];
            model.background[static_cast<std::size_t>(ch)] = region.background[i];
        }
    }
    return model;
}

ResultModel analysed_result(const SpectrumFacts& facts, const AnalysisOptions& options,
                            const SpectrumAnalysis& analysis, std::span<const double> counts) {
    ResultModel model = common_result(facts, options, analysis.first, analysis.last);
    model.calibration = calibration_part(analysis, options);
    // An analysed spectrum's peaks name the other member of an unresolved pair.
    model.peaks.columns.emplace_back(result_schema::peak_column::pair_with);
    for (std::size_t i = 0; i < analysis.peaks.size(); ++i)
        model.peaks.rows.push_back(peak_row(i + 1, analysis.peaks[i], facts.live_time));
    model.messages = analysis.messages;
    for (const auto& region : analysis.regions)
        if (!region.curve.peaks.empty()) model.regions.push_back(region.curve);
    model.counts.assign(counts.begin(), counts.end());
    model.has_counts = true;
    ChannelModel channels = channel_model(analysis, counts.size());
    model.fit = std::move(channels.fit);
    model.background = std::move(channels.background);
    const auto code = options.raw_data;
    if (code == analysis::RawDataOutput::all_channels)
        model.data_channels = {0, static_cast<int>(counts.size()) - 1};
    if (code == analysis::RawDataOutput::analysed_range)
        model.data_channels = {analysis.first, analysis.last};
    round_to_written(model);
    return model;
}

ResultModel failed_result(const SpectrumFacts& facts, const AnalysisOptions& options,
                          const std::string& reason) {
    ResultModel model = common_result(facts, options, 0, -1);
    model.messages = {reason};
    round_to_written(model);
    return model;
}

}  // namespace sorvane
