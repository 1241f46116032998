#include "results/run_summary.h"

#include <algorithm>
#include <cstdio>

#include "platform/dos_pattern.h"
#include "platform/file_system.h"
#include "platform/result_set.h"
#include "results/peak_table.h"

namespace sorvane {
namespace {

// The reason of the last run log line about a file of this base name (the file's
// name without its extension, ignoring case).
std::string logged_failure(std::string_view name, std::string_view log) {
    std::string reason;
    std::size_t at = 0;
    while (at < log.size()) {
        auto end = log.find('\n', at);
        if (end == std::string_view::npos) end = log.size();
        const std::optional<RunLogLine> line = read_run_log_line(log.substr(at, end - at));
        at = end + 1;
        if (!line) continue;
        const std::size_t slash = line->file.find_last_of("/\\");
        std::string_view file_name(line->file);
        if (slash != std::string::npos) file_name.remove_prefix(slash + 1);
        file_name = file_name.substr(0, file_name.rfind('.'));
        if (equal_ignoring_case(file_name, name)) reason = line->reason;
    }
    return reason;
}

std::string strongest_lines(const ResultFile& result) {
    struct Line {
        double area;
        double energy;
    };
    std::vector<Line> lines;
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row) {
        const auto area = result.peaks.number(row, "area");
        const auto energy = result.peaks.number(row, "energy");
        if (area && energy) lines.push_back({*area, *energy});
    }
    std::sort(lines.begin(), lines.end(),
              [](const Line& a, const Line& b) { return a.area > b.area; });
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < 3; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%.1f keV %.0f", lines[i].energy, lines[i].area);
        text += (text.empty() ? "" : "; ") + std::string(line);
    }
    return text;
}

}  // namespace

SummaryRow summary_row(std::string_view name, const std::optional<ResultFile>& result,
                       std::string_view run_log) {
    SummaryRow row;
    row.name = std::string(name);
    if (!result) {
        row.failure = logged_failure(name, run_log);
        if (row.failure.empty()) row.failure = "no result";
        return row;
    }
    row.live_time = value_of(result->spectrum, "live_time");
    // A result written for a spectrum that could not be analysed has no range.
    if (value_of(result->spectrum, "analysed_range") == "-") {
        row.failure = result->messages.empty() ? "not analysed" : result->messages.front();
        return row;
    }
    row.peaks = std::to_string(result->peaks.rows.size());
    row.strongest = strongest_lines(*result);
    return row;
}

std::vector<SummaryRow> summarise_run(const FileSystem& fs, const std::string& res_dir,
                                      const std::vector<std::string>& names) {
    std::string log;
    if (!fs.read_file(res_dir + std::string(run_log_name), log).ok()) log.clear();
    std::vector<SummaryRow> rows;
    for (const std::string& name : names) {
        const std::string path = res_dir + name + ".res";
        std::string text;
        std::optional<ResultFile> result;
        if (fs.read_file(path, text).ok()) result = read_result(text);
        rows.push_back(summary_row(name, result, log));
        if (result) rows.back().result_path = path;
    }
    return rows;
}

std::string summary_csv(const std::vector<SummaryRow>& rows) {
    std::string text = "spectrum,live_time,peaks,strongest_lines,failure\r\n";
    for (const SummaryRow& row : rows)
        text += csv_field(row.name) + "," + csv_field(row.live_time) + "," + csv_field(row.peaks) +
                "," + csv_field(row.strongest) + "," + csv_field(row.failure) + "\r\n";
    return text;
}

}  // namespace sorvane
