#include "results/result_writer.h"

#include <algorithm>
#include <cmath>

#include "contract/number_forms.h"
#include "contract/result_schema.h"
#include "results/result_fields.h"
#include "results/result_numbers.h"

namespace sorvane {
namespace {

namespace rs = result_schema;

constexpr std::string_view crlf = "\r\n";

class Lines {
public:
    void add(std::string_view line) {
        text_ += line;
        text_ += crlf;
    }
    void section(std::string_view name) {
        text_ += '[';
        text_ += name;
        text_ += ']';
        text_ += crlf;
    }
    void pair(std::string_view name, std::string_view value) {
        text_ += name;
        text_ += " = ";
        text_ += value;
        text_ += crlf;
    }
    std::string& text() { return text_; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

template <class Part>
NamedValues key_values(const Part& part, std::span<const ResultField<Part>> fields) {
    NamedValues values;
    for (const auto& field : fields) {
        if (field.optional && field_absent(part, field)) continue;
        if (field.form == FieldForm::repeated) {
            const auto& lists = std::get<std::vector<std::vector<double>> Part::*>(field.member);
            for (const auto& list : part.*lists) {
                std::string text;
                for (double v : list) text += (text.empty() ? "" : " ") + number_text(v);
                values.emplace_back(field.name, text);
            }
            continue;
        }
        values.emplace_back(field.name, field_text(part, field));
    }
    return values;
}

template <class Part>
void key_section(Lines& lines, std::string_view name, const Part& part,
                 std::span<const ResultField<Part>> fields) {
    lines.section(name);
    for (const auto& [key, value] : key_values(part, fields)) lines.pair(key, value);
}

// The table's columns that the model holds, in the order of the fields.
template <class Row>
std::vector<const ResultField<Row>*> present_columns(const ResultRows<Row>& table,
                                                     std::span<const ResultField<Row>> fields) {
    std::vector<const ResultField<Row>*> present;
    for (const auto& field : fields)
        if (table.column(field.name)) present.push_back(&field);
    return present;
}

template <class Row>
std::vector<std::vector<std::string>> table_rows(const ResultRows<Row>& table,
                                                 std::span<const ResultField<Row>> fields) {
    const auto columns = present_columns(table, fields);
    std::vector<std::vector<std::string>> rows(1);
    for (const auto* column : columns) rows[0].emplace_back(column->name);
    for (const Row& row : table.rows) {
        rows.emplace_back();
        for (const auto* column : columns) rows.back().push_back(field_text(row, *column));
    }
    return rows;
}

template <class Row>
void aligned_table(Lines& lines, const ResultRows<Row>& table,
                   std::span<const ResultField<Row>> fields) {
    for (const auto& line : aligned_lines(table_rows(table, fields))) lines.add(line);
}

// The budget's fields stand one blank apart.
template <class Row>
void plain_table(Lines& lines, const ResultRows<Row>& table,
                 std::span<const ResultField<Row>> fields) {
    for (const auto& row : table_rows(table, fields)) {
        std::string line;
        for (const auto& field : row) line += (line.empty() ? "" : " ") + field;
        lines.add(line);
    }
}

void view_sections(Lines& lines, const ResultModel& model) {
    lines.section(rs::section::regions);
    std::string& text = lines.text();
    // A fit's parameters with 10 significant digits, so that its curve drawn again
    // matches the fit's to far below a pixel.
    for (const auto& c : model.regions) {
        text += std::string(rs::region_key::region) + " = " + std::to_string(c.first) + " " +
                std::to_string(c.last) + " " + ten_digit_form(c.level) + " " +
                ten_digit_form(c.slope) + " " + ten_digit_form(c.bkg_shape) + "\r\n";
        for (const auto& p : c.peaks)
            text += std::string(rs::region_key::peak) + " = " + ten_digit_form(p.centroid) + " " +
                    ten_digit_form(p.area) + " " + ten_digit_form(p.sigma) + " " +
                    ten_digit_form(p.tail) + " " + ten_digit_form(p.step) + " " +
                    ten_digit_form(p.step_sigma) + " " + ten_digit_form(p.high_tail) + " " +
                    ten_digit_form(p.high_share) + "\r\n";
    }
    lines.section(rs::section::counts);
    text.reserve(text.size() + model.counts.size() * 7);
    constexpr std::size_t per_line = 16;
    for (std::size_t first = 0; first < model.counts.size(); first += per_line) {
        text += std::to_string(first);
        for (std::size_t ch = first; ch < model.counts.size() && ch < first + per_line; ++ch) {
            text += ' ';
            text += count_text(model.counts[ch]);
        }
        text += "\r\n";
    }
}

double at_or_nan(const std::vector<double>& values, std::size_t i) {
    return i < values.size() ? values[i] : std::nan("");
}

std::string model_text(double value) {
    return std::isnan(value) ? std::string("-") : number_text(value);
}

void data_section(Lines& lines, const ResultModel& model) {
    lines.section(rs::section::data);
    const auto [first, last] = *model.data_channels;
    for (int ch = std::max(first, 0); ch <= last && ch < static_cast<int>(model.counts.size());
         ++ch) {
        const auto i = static_cast<std::size_t>(ch);
        lines.add(std::to_string(ch) + " " + number_text(model.counts[i]) + " " +
                  model_text(at_or_nan(model.fit, i)) + " " +
                  model_text(at_or_nan(model.background, i)));
    }
}

template <class Part>
void round_part(Part& part, std::span<const ResultField<Part>> fields) {
    for (const auto& field : fields) round_as_written(part, field);
}

template <class Row>
void round_rows(ResultRows<Row>& table, std::span<const ResultField<Row>> fields) {
    for (Row& row : table.rows) round_part(row, fields);
}

}  // namespace

void round_to_written(ResultModel& model) {
    round_part(model.spectrum, spectrum_keys());
    round_part(model.calibration, calibration_keys());
    round_part(model.options, options_keys());
    round_rows(model.peaks, peak_columns());
    round_rows(model.nuclides, nuclide_columns());
    round_rows(model.nuclide_lines, nuclide_line_columns());
    round_rows(model.unexplained_peaks, unexplained_columns());
    round_rows(model.activity_budget, budget_columns());
    constexpr int exact = 10;  // the digits of ten_digit_form
    for (auto& c : model.regions) {
        for (double* v : {&c.level, &c.slope, &c.bkg_shape}) *v = as_written(*v, exact);
        for (auto& p : c.peaks)
            for (double* v : {&p.centroid, &p.area, &p.sigma, &p.tail, &p.step, &p.step_sigma,
                              &p.high_tail, &p.high_share})
                *v = as_written(*v, exact);
    }
    for (double& count : model.counts)
        if (count != std::floor(count) || std::fabs(count) >= 1e15) count = as_written(count, 8);
    for (auto* values : {&model.fit, &model.background})
        for (double& v : *values) v = as_written(v, 8);
}

std::vector<std::string> aligned_lines(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) line += ' ';
            line += row[i];
            if (i + 1 < row.size()) line.append(widths[i] - row[i].size(), ' ');
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

NamedValues spectrum_values(const ResultModel& model) {
    return key_values(model.spectrum, spectrum_keys());
}
NamedValues calibration_values(const ResultModel& model) {
    return key_values(model.calibration, calibration_keys());
}
NamedValues options_values(const ResultModel& model) {
    return key_values(model.options, options_keys());
}

std::string write_result(const ResultModel& model) {
    Lines lines;
    key_section(lines, rs::section::spectrum, model.spectrum, spectrum_keys());
    key_section(lines, rs::section::calibration, model.calibration, calibration_keys());
    key_section(lines, rs::section::options, model.options, options_keys());
    lines.section(rs::section::peaks);
    aligned_table(lines, model.peaks, peak_columns());
    if (!model.nuclides.columns.empty()) {
        lines.section(rs::section::nuclides);
        for (const auto& [key, value] : model.nuclide_keys) lines.pair(key, value);
        aligned_table(lines, model.nuclides, nuclide_columns());
    }
    if (!model.nuclide_lines.columns.empty()) {
        lines.section(rs::section::nuclide_lines);
        aligned_table(lines, model.nuclide_lines, nuclide_line_columns());
    }
    if (!model.unexplained_peaks.columns.empty()) {
        lines.section(rs::section::unexplained_peaks);
        aligned_table(lines, model.unexplained_peaks, unexplained_columns());
    }
    if (!model.activity_budget.columns.empty()) {
        lines.section(rs::section::activity_budget);
        plain_table(lines, model.activity_budget, budget_columns());
    }
    lines.section(rs::section::messages);
    for (const auto& message : model.messages) lines.add(message);
    lines.section(rs::section::flags);
    for (const auto& [letter, meaning] : model.flag_legend) lines.pair(letter, meaning);
    if (model.has_counts) view_sections(lines, model);
    if (model.data_channels) data_section(lines, model);
    return lines.take();
}

std::string result_csv(const ResultModel& model) {
    std::string text = "channel,counts,fit,background\r\n";
    for (std::size_t ch = 0; ch < model.counts.size(); ++ch) {
        text += std::to_string(ch) + "," + number_text(model.counts[ch]) + "," +
                model_text(at_or_nan(model.fit, ch)) + "," +
                model_text(at_or_nan(model.background, ch)) + "\r\n";
    }
    return text;
}

}  // namespace sorvane
