#include "results/result_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "contract/result_schema.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

namespace rs = result_schema;

std::optional<std::pair<std::string, std::string>> named_value(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::pair{std::string(trimmed(line.substr(0, equals))),
                     std::string(trimmed(line.substr(equals + 1)))};
}

// The legend of results written before the legend existed.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> older_legend{{
    {"M", "manual peak"},
    {"D", "member of a multiplet"},
    {"W", "width fixed to the calibration"},
    {"T", "tail fitted"},
}};

template <class Part>
void key_into(Part& part, std::span<const ResultField<Part>> fields, std::string_view text) {
    const auto pair = named_value(text);
    if (!pair) return;
    for (const auto& field : fields)
        if (field.name == pair->first) return read_field(part, field, pair->second);
}

// A table's rows, its columns found by the header's names: columns added by later
// versions, or missing from earlier ones, do not shift the rest.
template <class Row>
class TableReader {
public:
    TableReader(ResultRows<Row>& table, std::span<const ResultField<Row>> fields)
        : table_(table), fields_(fields) {}

    void line(std::string_view text) {
        if (!header_seen_) {
            table_.columns = result_words(text);
            for (const auto& name : table_.columns) {
                const ResultField<Row>* found = nullptr;
                for (const auto& field : fields_)
                    if (field.name == name) found = &field;
                by_column_.push_back(found);
            }
            header_seen_ = true;
            return;
        }
        const std::vector<std::string> cells = result_words(text);
        Row row;
        for (std::size_t i = 0; i < cells.size() && i < by_column_.size(); ++i)
            if (by_column_[i]) read_field(row, *by_column_[i], cells[i]);
        table_.rows.push_back(std::move(row));
    }
    bool header_seen() const { return header_seen_; }

private:
    ResultRows<Row>& table_;
    std::span<const ResultField<Row>> fields_;
    std::vector<const ResultField<Row>*> by_column_;
    bool header_seen_ = false;
};

// Reads the sections it knows; every other line is skipped.
class Reader {
public:
    void line(std::string_view line) {
        const std::string_view text = trimmed(line);
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            section_ = std::string(text.substr(1, text.size() - 2));
            return;
        }
        namespace s = rs::section;
        if (section_ == s::spectrum) return key_into(result_.spectrum, spectrum_keys(), text);
        if (section_ == s::calibration)
            return key_into(result_.calibration, calibration_keys(), text);
        if (section_ == s::options) return key_into(result_.options, options_keys(), text);
        if (section_ == s::messages) {
            if (!text.empty()) result_.messages.emplace_back(text);
            return;
        }
        if (text.empty()) return;
        if (section_ == s::peaks) return peaks_.line(text);
        if (section_ == s::flags) return legend_line(text);
        if (section_ == s::regions) return region_line(text);
        if (section_ == s::counts) return counts_line(text);
        if (section_ == s::data) return data_line(text);
        if (section_ == s::nuclides) {
            // Key lines ("key = value") come before the header; table cells never hold "=".
            if (!nuclides_.header_seen() && text.find('=') != std::string_view::npos) {
                if (auto pair = named_value(text)) result_.nuclide_keys.push_back(std::move(*pair));
                return;
            }
            return nuclides_.line(text);
        }
        if (section_ == s::nuclide_lines) return lines_.line(text);
        if (section_ == s::unexplained_peaks) return unexplained_.line(text);
        if (section_ == s::activity_budget) return budget_.line(text);
    }

    ResultModel finish() {
        if (result_.flag_legend.empty()) {
            for (const auto& [letter, meaning] : older_legend)
                result_.flag_legend.emplace_back(letter, meaning);
        }
        if (data_first_ <= data_last_) result_.data_channels = {data_first_, data_last_};
        return std::move(result_);
    }

private:
    // "X = meaning", "X: meaning" or "X meaning".
    void legend_line(std::string_view text) {
        const auto end = text.find_first_of(" \t=:");
        if (end == std::string_view::npos) return;
        std::string_view meaning = trimmed(text.substr(end));
        if (!meaning.empty() && (meaning.front() == '=' || meaning.front() == ':'))
            meaning = trimmed(meaning.substr(1));
        result_.flag_legend.emplace_back(std::string(text.substr(0, end)), std::string(meaning));
    }

    // Regions beyond any spectrum, or with a width that is no width, are left out:
    // a damaged file must not make the view draw without end.
    void region_line(std::string_view text) {
        const auto pair = named_value(text);
        if (!pair) return;
        const std::vector<double> v = leading_numbers(pair->second);
        if (pair->first == rs::region_key::region) {
            region_open_ = v.size() >= 5 && v[0] >= 0 && v[1] >= v[0] &&
                           v[1] < static_cast<double>(max_channels) &&
                           v[1] - v[0] <= max_region_width;
            if (!region_open_) return;
            analysis::RegionCurve curve;
            curve.first = static_cast<int>(v[0]);
            curve.last = static_cast<int>(v[1]);
            curve.level = v[2];
            curve.slope = v[3];
            curve.bkg_shape = v[4];
            result_.regions.push_back(curve);
        } else if (pair->first == rs::region_key::peak && region_open_ && v.size() >= 6 &&
                   v[2] > 0 && v[5] > 0 && result_.regions.back().peaks.size() < max_region_peaks) {
            // The high tail came later, and its share later still: files written before
            // them have none, or have it on the whole peak.
            const double high_tail = v.size() >= 7 && v[6] > 0 ? v[6] : 0.0;
            const double high_share = v.size() >= 8 && v[7] > 0 && v[7] <= 1 ? v[7] : 1.0;
            result_.regions.back().peaks.push_back(
                {v[0], v[1], v[2], v[3], v[4], v[5], high_tail, high_share});
        }
    }

    // "first c c c ...": the counts of consecutive channels from `first` on.
    void counts_line(std::string_view text) {
        const std::vector<double> v = leading_numbers(text);
        if (v.size() < 2 || v[0] < 0 || v[0] > max_channels) return;
        const auto first = static_cast<std::size_t>(v[0]);
        const std::size_t end = std::min(first + v.size() - 1, max_channels);
        if (result_.counts.size() < end) result_.counts.resize(end, 0.0);
        std::copy(v.begin() + 1, v.begin() + static_cast<std::ptrdiff_t>(end - first + 1),
                  result_.counts.begin() + static_cast<std::ptrdiff_t>(first));
        result_.has_counts = true;
    }

    // "channel counts fit background", "-" where no region was fitted.
    void data_line(std::string_view text) {
        const std::vector<std::string> w = result_words(text);
        if (w.size() < 4) return;
        const auto channel = parse_number(w[0]);
        if (!channel || *channel < 0 || *channel >= static_cast<double>(max_channels)) return;
        const auto ch = static_cast<std::size_t>(*channel);
        const double none = std::numeric_limits<double>::quiet_NaN();
        if (result_.fit.size() <= ch) {
            result_.fit.resize(ch + 1, none);
            result_.background.resize(ch + 1, none);
        }
        result_.fit[ch] = parse_number(w[2]).value_or(none);
        result_.background[ch] = parse_number(w[3]).value_or(none);
        data_first_ = std::min(data_first_, static_cast<int>(ch));
        data_last_ = std::max(data_last_, static_cast<int>(ch));
    }

    // Far above any analyser (16,384 or 65,536 channels): a damaged file cannot
    // make the reader take all memory.
    static constexpr std::size_t max_channels = 1u << 20;
    static constexpr double max_region_width = 65536;
    static constexpr std::size_t max_region_peaks = 100;
    bool region_open_ = false;
    int data_first_ = std::numeric_limits<int>::max();
    int data_last_ = -1;

    ResultModel result_;
    std::string section_;
    TableReader<PeakRow> peaks_{result_.peaks, peak_columns()};
    TableReader<NuclideRow> nuclides_{result_.nuclides, nuclide_columns()};
    TableReader<NuclideLineRow> lines_{result_.nuclide_lines, nuclide_line_columns()};
    TableReader<UnexplainedRow> unexplained_{result_.unexplained_peaks, unexplained_columns()};
    TableReader<BudgetRow> budget_{result_.activity_budget, budget_columns()};
};

}  // namespace

ResultModel read_result(std::string_view text) {
    Reader reader;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        reader.line(text.substr(at, end - at));
        at = end + 1;
    }
    return reader.finish();
}

std::optional<EnergyTerms> energy_terms(const ResultModel& result) {
    const std::vector<double>& v = result.calibration.energy;
    if (v.size() < 2) return std::nullopt;
    const EnergyTerms terms{v[0], v[1], v.size() > 2 ? v[2] : 0.0};
    if (terms.c0 == 0.0 && terms.c1 == 1.0 && terms.c2 == 0.0) return std::nullopt;
    if (terms.c1 <= 0.0) return std::nullopt;  // energy must grow with the channel
    return terms;
}

std::optional<Recalibration> recalibration(const ResultModel& result) {
    const CalibrationPart& part = result.calibration;
    const std::vector<double>& c = part.recalibrated_energy;
    if (c.size() < 2) return std::nullopt;
    Recalibration out;
    out.terms = {c[0], c[1], c.size() > 2 ? c[2] : 0.0};
    out.lines = part.recalibration_lines ? static_cast<int>(*part.recalibration_lines) : 0;
    out.rms_kev = part.recalibration_residual_rms_kev;
    for (const auto& v : part.recalibration_residuals)
        if (v.size() >= 3) out.residuals.push_back({static_cast<int>(v[0]), v[1], v[2]});
    return out;
}

std::string peak_nuclide(const ResultModel& result, std::size_t row) {
    return row < result.peaks.rows.size() ? result.peaks.rows[row].nuclide : std::string();
}

std::string flags_in_words(const ResultModel& result, std::string_view letters) {
    std::string out;
    for (char letter : trimmed(letters)) {
        if (letter == '-') continue;
        std::string meaning(1, letter);
        for (const auto& [key, words] : result.flag_legend)
            if (key.size() == 1 && key[0] == letter && !words.empty()) meaning = words;
        if (!out.empty()) out += ", ";
        out += meaning;
    }
    return out;
}

}  // namespace sorvane
