#include "results/peak_table.h"

#include <cmath>
#include <cstdio>

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

PeakTable peak_table(const ResultFile& result) {
    PeakTable table;
    table.headers = {"No.",  "Channel",    "Energy (keV)", "+- keV", "Area", "+- counts",
                     "+- %", "FWHM (keV)", "Counts/s",     "chi2r",  "Flags"};
    const ResultTable& peaks = result.peaks;
    const bool nuclides = peaks.column("nuclide").has_value();
    if (nuclides) table.headers.push_back("Nuclide");
    for (std::size_t row = 0; row < peaks.rows.size(); ++row) {
        auto n = [&](const char* name) { return peaks.number(row, name); };
        PeakTableRow line;
        line.result_row = row;
        auto add = [&](std::string cell, std::optional<double> key) {
            line.cells.push_back(std::move(cell));
            line.keys.push_back(key);
        };
        add(general(n("no"), 6), n("no"));
        add(n("channel") ? fixed(*n("channel"), 2) : "-", n("channel"));
        const auto energy = rounded_pair(n("energy").value_or(NAN), n("d_energy").value_or(NAN));
        add(n("energy") ? energy.first : "-", n("energy"));
        add(n("d_energy") ? energy.second : "-", n("d_energy"));
        const auto area = rounded_pair(n("area").value_or(NAN), n("d_area").value_or(NAN));
        add(n("area") ? area.first : "-", n("area"));
        add(n("d_area") ? area.second : "-", n("d_area"));
        add(n("d_area_pct") ? fixed(*n("d_area_pct"), 2) : "-", n("d_area_pct"));
        add(n("fwhm_kev") ? fixed(*n("fwhm_kev"), 3) : "-", n("fwhm_kev"));
        add(general(n("cps"), 5), n("cps"));
        add(n("chi2r") ? fixed(*n("chi2r"), 2) : "-", n("chi2r"));
        add(flags_in_words(result, peaks.cell(row, "flags")), std::nullopt);
        if (nuclides) add(peak_nuclide(result, row), std::nullopt);
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

std::string peaks_csv(const ResultFile& result) {
    static const char* const columns[] = {"no",   "channel", "energy",     "d_energy",
                                          "area", "d_area",  "d_area_pct", "fwhm_kev",
                                          "cps",  "d_cps",   "chi2r"};
    const bool nuclides = result.peaks.column("nuclide").has_value();
    std::string text;
    for (const char* name : columns) text += std::string(name) + ",";
    text += nuclides ? "flags,nuclide\r\n" : "flags\r\n";
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row) {
        for (const char* name : columns) text += csv_field(result.peaks.cell(row, name)) + ",";
        text += csv_field(flags_in_words(result, result.peaks.cell(row, "flags")));
        if (nuclides) text += "," + csv_field(peak_nuclide(result, row));
        text += "\r\n";
    }
    return text;
}

}  // namespace sorvane
