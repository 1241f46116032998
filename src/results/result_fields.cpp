#include "results/result_fields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "contract/result_schema.h"
#include "platform/text_helpers.h"
#include "results/result_numbers.h"

namespace sorvane {
namespace {

namespace rs = result_schema;
using F = FieldForm;

constexpr std::array<ResultField<SpectrumPart>, 8> spectrum_table{{
    {rs::spectrum_key::input, &SpectrumPart::input, F::text},
    {rs::spectrum_key::raw_file, &SpectrumPart::raw_file, F::text, true},
    {rs::spectrum_key::raw_type, &SpectrumPart::raw_type, F::text, true},
    {rs::spectrum_key::start, &SpectrumPart::start, F::text},
    {rs::spectrum_key::live_time, &SpectrumPart::live_time, F::general},
    {rs::spectrum_key::real_time, &SpectrumPart::real_time, F::general},
    {rs::spectrum_key::channels, &SpectrumPart::channels, F::whole},
    {rs::spectrum_key::analysed_range, &SpectrumPart::analysed_range, F::numbers},
}};

// Every key is optional: a spectrum that could not be analysed has none.
constexpr std::array<ResultField<CalibrationPart>, 13> calibration_table{{
    {rs::calibration_key::energy, &CalibrationPart::energy, F::numbers, true},
    {rs::calibration_key::energy_source, &CalibrationPart::energy_source, F::text, true},
    {rs::calibration_key::d_energy_includes_calibration,
     &CalibrationPart::d_energy_includes_calibration, F::text, true},
    {rs::calibration_key::fwhm, &CalibrationPart::fwhm, F::numbers, true},
    {rs::calibration_key::d_fwhm, &CalibrationPart::d_fwhm, F::numbers, true},
    {rs::calibration_key::fwhm_peaks, &CalibrationPart::fwhm_peaks, F::whole, true},
    {rs::calibration_key::fwhm_refined, &CalibrationPart::fwhm_refined, F::yes_no, true},
    {rs::calibration_key::recalibrated_energy, &CalibrationPart::recalibrated_energy, F::numbers,
     true},
    {rs::calibration_key::recalibration_lines, &CalibrationPart::recalibration_lines, F::whole,
     true},
    {rs::calibration_key::recalibration_residual_rms_kev,
     &CalibrationPart::recalibration_residual_rms_kev, F::general, true},
    {rs::calibration_key::recalibration_residual, &CalibrationPart::recalibration_residuals,
     F::repeated, true},
    {rs::calibration_key::fwhm_points, &CalibrationPart::fwhm_points, F::numbers, true},
    {rs::calibration_key::fwhm_at_points, &CalibrationPart::fwhm_at_points, F::numbers, true},
}};

constexpr std::array<ResultField<OptionsPart>, 14> options_table{{
    {rs::options_key::pk_search, &OptionsPart::pk_search, F::whole},
    {rs::options_key::smoothing, &OptionsPart::smoothing, F::whole},
    {rs::options_key::pk_shape, &OptionsPart::pk_shape, F::whole},
    {rs::options_key::fitted_data_plot, &OptionsPart::fitted_data_plot, F::whole},
    {rs::options_key::raw_data, &OptionsPart::raw_data, F::whole},
    {rs::options_key::energy_calib, &OptionsPart::energy_calib, F::whole},
    {rs::options_key::cal_area, &OptionsPart::cal_area, F::whole},
    {rs::options_key::bkg_shape, &OptionsPart::bkg_shape, F::general},
    {rs::options_key::pkf_sens, &OptionsPart::pkf_sens, F::general},
    {rs::options_key::cal_area_from, &OptionsPart::cal_area_from, F::general},
    {rs::options_key::cal_area_to, &OptionsPart::cal_area_to, F::general},
    {rs::options_key::cal_low, &OptionsPart::cal_low, F::numbers},
    {rs::options_key::cal_high, &OptionsPart::cal_high, F::numbers},
    {rs::options_key::manual_pk_ch, &OptionsPart::manual_pk_ch, F::numbers},
}};

constexpr std::array<ResultField<PeakRow>, 19> peak_table{{
    {rs::peak_column::no, &PeakRow::no, F::whole},
    {rs::peak_column::channel, &PeakRow::channel, F::general},
    {rs::peak_column::d_channel, &PeakRow::d_channel, F::general},
    {rs::peak_column::energy, &PeakRow::energy, F::general},
    {rs::peak_column::d_energy, &PeakRow::d_energy, F::general},
    {rs::peak_column::fwhm_ch, &PeakRow::fwhm_ch, F::general},
    {rs::peak_column::fwhm_kev, &PeakRow::fwhm_kev, F::general},
    {rs::peak_column::area, &PeakRow::area, F::general},
    {rs::peak_column::d_area, &PeakRow::d_area, F::general},
    {rs::peak_column::d_area_pct, &PeakRow::d_area_pct, F::general},
    {rs::peak_column::background, &PeakRow::background, F::general},
    {rs::peak_column::cps, &PeakRow::cps, F::general},
    {rs::peak_column::d_cps, &PeakRow::d_cps, F::general},
    {rs::peak_column::chi2r, &PeakRow::chi2r, F::general},
    {rs::peak_column::flags, &PeakRow::flags, F::cell},
    {rs::peak_column::pair_with, &PeakRow::pair_with, F::whole, true},
    {rs::peak_column::nuclide, &PeakRow::nuclide, F::cell, true},
    {rs::peak_column::background_counts, &PeakRow::background_counts, F::general, true},
    {rs::peak_column::d_background_counts, &PeakRow::d_background_counts, F::general, true},
}};

constexpr std::array<ResultField<NuclideRow>, 22> nuclide_table{{
    {rs::nuclide_column::nuclide, &NuclideRow::nuclide, F::cell},
    {rs::nuclide_column::identified, &NuclideRow::identified, F::yes_no},
    {rs::nuclide_column::score, &NuclideRow::score, F::fixed3},
    {rs::nuclide_column::lines, &NuclideRow::lines, F::cell},
    {rs::nuclide_column::peaks, &NuclideRow::peaks, F::cell},
    {rs::nuclide_column::interferences, &NuclideRow::interferences, F::cell},
    {rs::nuclide_column::activity, &NuclideRow::activity, F::general, true},
    {rs::nuclide_column::d_activity, &NuclideRow::d_activity, F::general, true},
    {rs::nuclide_column::coverage_low, &NuclideRow::coverage_low, F::general, true},
    {rs::nuclide_column::coverage_high, &NuclideRow::coverage_high, F::general, true},
    {rs::nuclide_column::decision_threshold, &NuclideRow::decision_threshold, F::general, true},
    {rs::nuclide_column::detection_limit, &NuclideRow::detection_limit, F::general, true},
    {rs::nuclide_column::lines_chi2r, &NuclideRow::lines_chi2r, F::general, true},
    {rs::nuclide_column::verdict, &NuclideRow::verdict, F::verdict, true},
    {rs::nuclide_column::primary_result, &NuclideRow::primary_result, F::general, true},
    {rs::nuclide_column::d_primary_result, &NuclideRow::d_primary_result, F::general, true},
    {rs::nuclide_column::decision, &NuclideRow::decision, F::verdict, true},
    {rs::nuclide_column::best_estimate, &NuclideRow::best_estimate, F::general, true},
    {rs::nuclide_column::d_best_estimate, &NuclideRow::d_best_estimate, F::general, true},
    {rs::nuclide_column::excluded_lines, &NuclideRow::excluded_lines, F::cell, true},
    {rs::nuclide_column::uncertainty_scale, &NuclideRow::uncertainty_scale, F::general, true},
    {rs::nuclide_column::reason, &NuclideRow::reason, F::cell, true},
}};

constexpr std::array<ResultField<NuclideLineRow>, 11> nuclide_line_table{{
    {rs::line_column::nuclide, &NuclideLineRow::nuclide, F::cell},
    {rs::line_column::energy, &NuclideLineRow::energy, F::general},
    {rs::line_column::probability, &NuclideLineRow::probability, F::general},
    {rs::line_column::peak, &NuclideLineRow::peak, F::whole},
    {rs::line_column::recalibrated_energy, &NuclideLineRow::recalibrated_energy, F::fixed3},
    {rs::line_column::difference, &NuclideLineRow::difference, F::fixed3},
    {rs::line_column::status, &NuclideLineRow::status, F::cell},
    {rs::line_column::activity, &NuclideLineRow::activity, F::general, true},
    {rs::line_column::d_activity, &NuclideLineRow::d_activity, F::general, true},
    {rs::line_column::summing_factor, &NuclideLineRow::summing_factor, F::general, true},
    {rs::line_column::attenuation_factor, &NuclideLineRow::attenuation_factor, F::general, true},
}};

constexpr std::array<ResultField<UnexplainedRow>, 4> unexplained_table{{
    {rs::unexplained_column::no, &UnexplainedRow::no, F::whole},
    {rs::unexplained_column::energy, &UnexplainedRow::energy, F::general},
    {rs::unexplained_column::area, &UnexplainedRow::area, F::general},
    {rs::unexplained_column::flags, &UnexplainedRow::flags, F::cell},
}};

constexpr std::array<ResultField<BudgetRow>, 7> budget_table{{
    {rs::budget_column::nuclide, &BudgetRow::nuclide, F::cell},
    {rs::budget_column::counting, &BudgetRow::counting, F::general},
    {rs::budget_column::efficiency, &BudgetRow::efficiency, F::general},
    {rs::budget_column::emission, &BudgetRow::emission, F::general},
    {rs::budget_column::half_life, &BudgetRow::half_life, F::general},
    {rs::budget_column::quantity, &BudgetRow::quantity, F::general},
    {rs::budget_column::corrections, &BudgetRow::corrections, F::general},
}};

std::string number_form(const Number& value, FieldForm form) {
    if (!value) return "-";
    if (form == F::fixed3) return fixed_text(*value, 3);
    if (form == F::whole && std::isfinite(*value) && std::fabs(*value) < 9e18)
        return std::to_string(static_cast<long long>(*value));
    return number_text(*value);
}

std::string numbers_form(const std::vector<double>& values) {
    std::string out;
    for (double v : values) {
        if (!out.empty()) out += ' ';
        out += number_text(v);
    }
    return out.empty() ? "-" : out;
}

struct Writer {
    FieldForm form;
    std::string operator()(const Number& v) const { return number_form(v, form); }
    std::string operator()(const std::string& v) const {
        if (form != F::cell) return v;
        if (v.empty()) return "-";
        std::string out = v;
        std::replace(out.begin(), out.end(), ' ', '_');
        return out;
    }
    std::string operator()(const std::optional<bool>& v) const {
        return v ? (*v ? "yes" : "no") : "-";
    }
    std::string operator()(Verdict v) const { return std::string(verdict_word(v)); }
    std::string operator()(const std::vector<double>& v) const { return numbers_form(v); }
    std::string operator()(const std::vector<std::vector<double>>&) const { return {}; }
};

struct Reader {
    FieldForm form;
    std::string_view text;
    void operator()(Number& v) const { v = parse_number(text); }
    void operator()(std::string& v) const {
        v = form == F::cell && text == "-" ? std::string() : std::string(text);
    }
    void operator()(std::optional<bool>& v) const {
        if (text == "yes")
            v = true;
        else if (text == "no")
            v = false;
        else
            v.reset();
    }
    void operator()(Verdict& v) const { v = verdict_of_word(text); }
    void operator()(std::vector<double>& v) const { v = leading_numbers(text); }
    void operator()(std::vector<std::vector<double>>& v) const {
        v.push_back(leading_numbers(text));
    }
};

struct Rounder {
    FieldForm form;
    double round(double v) const {
        return form == F::fixed3 ? as_written_fixed(v, 3) : form == F::whole ? v : as_written(v, 8);
    }
    void operator()(Number& v) const {
        if (v) v = round(*v);
    }
    void operator()(std::vector<double>& v) const {
        for (double& x : v) x = as_written(x, 8);
    }
    void operator()(std::vector<std::vector<double>>& v) const {
        for (auto& list : v) (*this)(list);
    }
    void operator()(std::string&) const {}
    void operator()(std::optional<bool>&) const {}
    void operator()(Verdict&) const {}
};

struct Absent {
    bool operator()(const Number& v) const { return !v; }
    bool operator()(const std::string& v) const { return v.empty(); }
    bool operator()(const std::optional<bool>& v) const { return !v; }
    bool operator()(Verdict v) const { return v == Verdict::none; }
    bool operator()(const std::vector<double>& v) const { return v.empty(); }
    bool operator()(const std::vector<std::vector<double>>& v) const { return v.empty(); }
};

}  // namespace

std::vector<double> leading_numbers(std::string_view text) {
    std::vector<double> out;
    for (const auto& word : result_words(text)) {
        const auto value = parse_number(word);
        if (!value) break;
        out.push_back(*value);
    }
    return out;
}

std::span<const ResultField<SpectrumPart>> spectrum_keys() {
    return spectrum_table;
}
std::span<const ResultField<CalibrationPart>> calibration_keys() {
    return calibration_table;
}
std::span<const ResultField<OptionsPart>> options_keys() {
    return options_table;
}
std::span<const ResultField<PeakRow>> peak_columns() {
    return peak_table;
}
std::span<const ResultField<NuclideRow>> nuclide_columns() {
    return nuclide_table;
}
std::span<const ResultField<NuclideLineRow>> nuclide_line_columns() {
    return nuclide_line_table;
}
std::span<const ResultField<UnexplainedRow>> unexplained_columns() {
    return unexplained_table;
}
std::span<const ResultField<BudgetRow>> budget_columns() {
    return budget_table;
}

template <class Part>
std::string field_text(const Part& part, const ResultField<Part>& field) {
    return std::visit([&](auto member) { return Writer{field.form}(part.*member); }, field.member);
}

template <class Part>
void read_field(Part& part, const ResultField<Part>& field, std::string_view text) {
    std::visit([&](auto member) { Reader{field.form, trimmed(text)}(part.*member); }, field.member);
}

template <class Part>
void round_as_written(Part& part, const ResultField<Part>& field) {
    std::visit([&](auto member) { Rounder{field.form}(part.*member); }, field.member);
}

template <class Part>
bool field_absent(const Part& part, const ResultField<Part>& field) {
    return std::visit([&](auto member) { return Absent{}(part.*member); }, field.member);
}

template <class Row>
std::vector<std::string> column_names(std::span<const ResultField<Row>> fields,
                                      bool with_optional) {
    std::vector<std::string> names;
    for (const auto& field : fields)
        if (with_optional || !field.optional) names.emplace_back(field.name);
    return names;
}

#define SORVANE_RESULT_PART(Part)                                                \
    template std::string field_text(const Part&, const ResultField<Part>&);      \
    template void read_field(Part&, const ResultField<Part>&, std::string_view); \
    template bool field_absent(const Part&, const ResultField<Part>&);           \
    template void round_as_written(Part&, const ResultField<Part>&);             \
    template std::vector<std::string> column_names(std::span<const ResultField<Part>>, bool);
SORVANE_RESULT_PART(SpectrumPart)
SORVANE_RESULT_PART(CalibrationPart)
SORVANE_RESULT_PART(OptionsPart)
SORVANE_RESULT_PART(PeakRow)
SORVANE_RESULT_PART(NuclideRow)
SORVANE_RESULT_PART(NuclideLineRow)
SORVANE_RESULT_PART(UnexplainedRow)
SORVANE_RESULT_PART(BudgetRow)
#undef SORVANE_RESULT_PART

std::vector<std::string> result_words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const auto begin = line.find_first_not_of(" \t\r", at);
        if (begin == std::string_view::npos) break;
        auto end = line.find_first_of(" \t\r", begin);
        if (end == std::string_view::npos) end = line.size();
        out.emplace_back(line.substr(begin, end - begin));
        at = end;
    }
    return out;
}

std::optional<double> parse_number(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace sorvane
