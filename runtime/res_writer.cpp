#include "res_writer.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "aligned_columns.h"
#include "peak_flags.h"
#include "view_sections.h"

namespace sorvane {
namespace {

using analysis::AnalysisOptions;

constexpr std::string_view crlf = "\r\n";

class Lines {
public:
    void add(std::string_view line) {
        text_ += line;
        text_ += crlf;
    }
    void pair(std::string_view name, std::string_view value) {
        text_ += name;
        text_ += " = ";
        text_ += value;
        text_ += crlf;
    }
    void append(std::string_view lines) { text_ += lines; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

std::string join_numbers(std::initializer_list<double> values) {
    std::string out;
    for (double v : values) {
        if (!out.empty()) out += ' ';
        out += number_text(v);
    }
    return out;
}

void spectrum_section(Lines& lines, const SpectrumFacts& facts, int first, int last) {
    lines.add("[spectrum]");
    lines.pair("input", facts.input_path);
    if (!facts.raw_path.empty()) {
        lines.pair("raw_file", facts.raw_path);
        lines.pair("raw_type", facts.raw_type);
    }
    lines.pair("start", facts.start);
    lines.pair("live_time", number_text(facts.live_time));
    lines.pair("real_time", number_text(facts.real_time));
    lines.pair("channels", std::to_string(facts.channels));
    lines.pair("analysed_range",
               last >= first ? std::to_string(first) + " " + std::to_string(last) : "-");
}

void options_section(Lines& lines, const AnalysisOptions& options) {
    const auto codes = analysis::option_codes(options);
    lines.add("[options]");
    lines.pair("pk_search", std::to_string(codes[0]));
    lines.pair("smoothing", std::to_string(codes[1]));
    lines.pair("pk_shape", std::to_string(codes[2]));
    lines.pair("fitted_data_plot", std::to_string(codes[3]));
    lines.pair("raw_data", std::to_string(codes[4]));
    lines.pair("energy_calib", std::to_string(codes[5]));
    lines.pair("cal_area", std::to_string(codes[6]));
    lines.pair("bkg_shape", number_text(options.bkg_shape));
    lines.pair("pkf_sens", number_text(options.pkf_sens));
    lines.pair("cal_area_from", number_text(options.cal_area_from));
    lines.pair("cal_area_to", number_text(options.cal_area_to));
    lines.pair("cal_low",
               join_numbers({options.low.channel, options.low.energy, options.low.fwhm}));
    lines.pair("cal_high",
               join_numbers({options.high.channel, options.high.energy, options.high.fwhm}));
    std::string manual;
    for (double ch : options.manual_peaks) {
        if (!manual.empty()) manual += ' ';
        manual += number_text(ch);
    }
    lines.pair("manual_pk_ch", manual.empty() ? "-" : manual);
}

constexpr std::string_view peak_header =
    "no channel d_channel energy d_energy fwhm_ch fwhm_kev area d_area d_area_pct background cps "
    "d_cps "
    "chi2r flags";

// The energy and width calibrations used, the width's fitted coefficients with their
// uncertainties and how many clean peaks set them.
void calibration_section(Lines& lines, const SpectrumAnalysis& analysis,
                         const std::vector<std::string>& added) {
    const auto& width = analysis.width;
    lines.add("[calibration]");
    lines.pair("energy",
               join_numbers({analysis.energy.c0, analysis.energy.c1, analysis.energy.c2}));
    lines.pair("energy_source", analysis.energy.from_file ? "file" : "manual");
    // Neither the CHN file nor two manual points carry an uncertainty of the calibration.
    lines.pair("d_energy_includes_calibration", "no (the calibration came without uncertainty)");
    lines.pair("fwhm", join_numbers({width.a, width.b, width.c}));
    lines.pair("d_fwhm", join_numbers({width.d_a, width.d_b, width.d_c}));
    lines.pair("fwhm_peaks", std::to_string(width.peaks_used));
    lines.pair("fwhm_refined", width.refined ? "yes" : "no");
    for (const auto& line : added) lines.add(line);
}

// The user's FWHM points (channel, FWHM low and high) beside the fitted widths at the
// same channels: the points are the fit's first guess, no longer its answer.
void width_points_lines(Lines& lines, const AnalysisOptions& options,
                        const SpectrumAnalysis& analysis) {
    lines.pair("fwhm_points", join_numbers({options.low.channel, options.low.fwhm,
                                            options.high.channel, options.high.fwhm}));
    lines.pair("fwhm_at_points", join_numbers({analysis.width.fwhm(options.low.channel),
                                               analysis.width.fwhm(options.high.channel)}));
}

// The legend of the peaks' flag letters, one "letter = meaning" per line.
void flags_section(Lines& lines) {
    lines.add("[flags]");
    for (const auto& flag : peak_flag_legend())
        lines.pair(std::string_view(&flag.letter, 1), flag.meaning);
}

std::vector<std::string> peak_fields(std::size_t number, const ReportedPeak& peak,
                                     double live_time) {
    const auto& f = peak.fit;
    const bool timed = live_time > 0.0;
    return {std::to_string(number),
            number_text(f.centroid),
            number_text(f.d_centroid),
            number_text(peak.energy),
            number_text(peak.d_energy),
            number_text(f.fwhm),
            number_text(peak.fwhm_kev),
            number_text(f.area),
            number_text(f.d_area),
            f.area > 0.0 ? number_text(100.0 * f.d_area / f.area) : std::string("-"),
            number_text(f.background),
            timed ? number_text(f.area / live_time) : std::string("-"),
            timed ? number_text(f.d_area / live_time) : std::string("-"),
            number_text(f.reduced_deviance),
            peak.flags};
}

std::vector<std::string> header_fields() {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < peak_header.size()) {
        const auto end = std::min(peak_header.find(' ', at), peak_header.size());
        fields.emplace_back(peak_header.substr(at, end - at));
        at = end + 1;
    }
    return fields;
}

// The peak table with its columns lined up under the header's names.
void peaks_section(Lines& lines, const SpectrumAnalysis& analysis, double live_time,
                   const ResultAdditions& additions) {
    lines.add("[peaks]");
    std::vector<std::vector<std::string>> rows{header_fields()};
    // After the fixed columns: the other member of an unresolved pair, then any
    // columns the later steps add.
    rows[0].emplace_back("pair_with");
    for (const auto& column : additions.peak_columns) rows[0].push_back(column.first);
    for (std::size_t i = 0; i < analysis.peaks.size(); ++i) {
        rows.push_back(peak_fields(i + 1, analysis.peaks[i], live_time));
        const int partner = analysis.peaks[i].pair_with;
        rows.back().push_back(partner > 0 ? std::to_string(partner) : std::string("-"));
        for (const auto& column : additions.peak_columns)
            rows.back().push_back(i < column.second.size() ? column.second[i] : std::string("-"));
    }
    for (const auto& line : aligned_lines(rows)) lines.add(line);
}

std::string model_text(double value) {
    return std::isnan(value) ? std::string("-") : number_text(value);
}

}  // namespace

std::string number_text(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0.0) return "0";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 8);
    return std::string(buffer, result.ptr);
}

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

std::string format_result(const SpectrumFacts& facts, const AnalysisOptions& options,
                          const SpectrumAnalysis& analysis, std::span<const double> counts,
                          const ResultAdditions& additions) {
    Lines lines;
    spectrum_section(lines, facts, analysis.first, analysis.last);
    calibration_section(lines, analysis, additions.calibration_lines);
    width_points_lines(lines, options, analysis);
    options_section(lines, options);
    peaks_section(lines, analysis, facts.live_time, additions);
    lines.append(additions.sections);
    lines.add("[messages]");
    for (const auto& message : analysis.messages) lines.add(message);
    flags_section(lines);
    lines.append(format_view_sections(analysis, counts));
    const auto code = options.raw_data;
    if (code == analysis::RawDataOutput::analysed_range ||
        code == analysis::RawDataOutput::all_channels) {
        lines.add("[data]");
        const ChannelModel model = channel_model(analysis, counts.size());
        int first = 0;
        int last = static_cast<int>(counts.size()) - 1;
        if (code == analysis::RawDataOutput::analysed_range) {
            first = analysis.first;
            last = analysis.last;
        }
        for (int ch = first; ch <= last; ++ch) {
            const auto i = static_cast<std::size_t>(ch);
            lines.add(std::to_string(ch) + " " + number_text(counts[i]) + " " +
                      model_text(model.fit[i]) + " " + model_text(model.background[i]));
        }
    }
    return lines.take();
}

std::string format_failure(const SpectrumFacts& facts, const AnalysisOptions& options,
                           const std::string& reason) {
    Lines lines;
    spectrum_section(lines, facts, 0, -1);
    lines.add("[calibration]");
    options_section(lines, options);
    lines.add("[peaks]");
    lines.add(peak_header);
    lines.add("[messages]");
    lines.add(reason);
    flags_section(lines);
    return lines.take();
}

std::string format_csv(const SpectrumAnalysis& analysis, std::span<const double> counts) {
    const ChannelModel model = channel_model(analysis, counts.size());
    std::string text = "channel,counts,fit,background\r\n";
    for (std::size_t ch = 0; ch < counts.size(); ++ch) {
        text += std::to_string(ch) + "," + number_text(counts[ch]) + "," +
                model_text(model.fit[ch]) + "," + model_text(model.background[ch]) + "\r\n";
    }
    return text;
}

}  // namespace sorvane
