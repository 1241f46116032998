#include "results/peak_table.h"

#include <cmath>
#include <cstdio>

#include "contract/result_schema.h"

namespace sorvane {
namespace {

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", std::max(decimals, 0), value);
    return text;
}

std::string general(std::optional<double> value, int digits) {
    if (!value) return "-";
    char text[48];
    std::snprintf(text, sizeof text, "%.*g", digits, *value);
    return text;
}

}  // namespace

std::string with_csv_extension(std::string path) {
    const auto name_start = path.find_last_of("/\\");
    if (path.find('.', name_start == std::string::npos ? 0 : name_start) == std::string::npos)
        path += ".csv";
    return path;
}

std::string csv_field(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::pair<std::string, std::string> rounded_pair(double value, double uncertainty) {
    if (!(uncertainty > 0.0) || !std::isfinite(uncertainty))
        return {general(value, 7), uncertainty == 0.0 ? "0" : "-"};
    const int decimals = 1 - static_cast<int>(std::floor(std::log10(uncertainty)));
    if (decimals >= 0) return {fixed(value, decimals), fixed(uncertainty, decimals)};
    const double unit = std::pow(10.0, -decimals);
    return {fixed(std::round(value / unit) * unit, 0),
            fixed(std::round(uncertainty / unit) * unit, 0)};
}

PeakTable peak_table(const ResultModel& result) {
    PeakTable table;
    table.headers = {"No.",  "Channel",    "Energy (keV)", "+- keV", "Area", "+- counts",
                     "+- %", "FWHM (keV)", "Counts/s",     "chi2r",  "Flags"};
    const bool nuclides = result.peaks.column(result_schema::peak_column::nuclide).has_value();
    if (nuclides) table.headers.push_back("Nuclide");
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row) {
        const PeakRow& p = result.peaks.rows[row];
        PeakTableRow line;
        line.result_row = row;
        auto add = [&](std::string cell, std::optional<double> key) {
            line.cells.push_back(std::move(cell));
            line.keys.push_back(key);
        };
        add(general(p.no, 6), p.no);
        add(p.channel ? fixed(*p.channel, 2) : "-", p.channel);
        const auto energy = rounded_pair(p.energy.value_or(NAN), p.d_energy.value_or(NAN));
        add(p.energy ? energy.first : "-", p.energy);
        add(p.d_energy ? energy.second : "-", p.d_energy);
        const auto area = rounded_pair(p.area.value_or(NAN), p.d_area.value_or(NAN));
        add(p.area ? area.first : "-", p.area);
        add(p.d_area ? area.second : "-", p.d_area);
        add(p.d_area_pct ? fixed(*p.d_area_pct, 2) : "-", p.d_area_pct);
        add(p.fwhm_kev ? fixed(*p.fwhm_kev, 3) : "-", p.fwhm_kev);
        add(general(p.cps, 5), p.cps);
        add(p.chi2r ? fixed(*p.chi2r, 2) : "-", p.chi2r);
        add(flags_in_words(result, p.flags), std::nullopt);
        if (nuclides) add(p.nuclide, std::nullopt);
        table.rows.push_back(std::move(line));
    }
    return table;
}

std::string table_text(const PeakTable& table, const std::vector<std::size_t>& rows) {
    auto join = [](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
        return line + "\n";
    };
    std::string text = join(table.headers);
    for (std::size_t row : rows)
        if (row < table.rows.size()) text += join(table.rows[row].cells);
    return text;
}

std::string peaks_csv(const ResultModel& result) {
    namespace column = result_schema::peak_column;
    static constexpr std::string_view columns[] = {
        column::no,   column::channel, column::energy,     column::d_energy,
        column::area, column::d_area,  column::d_area_pct, column::fwhm_kev,
        column::cps,  column::d_cps,   column::chi2r};
    const bool nuclides = result.peaks.column(column::nuclide).has_value();
    std::string text;
    for (std::string_view name : columns) text += std::string(name) + ",";
    text +=
        std::string(column::flags) + (nuclides ? "," + std::string(column::nuclide) : "") + "\r\n";
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row) {
        for (std::string_view name : columns) text += csv_field(result.peaks.cell(row, name)) + ",";
        text += csv_field(flags_in_words(result, result.peaks.rows[row].flags));
        if (nuclides) text += "," + csv_field(peak_nuclide(result, row));
        text += "\r\n";
    }
    return text;
}

}  // namespace sorvane
