#include "results/run_summary.h"

#include <algorithm>
#include <cstdio>

#include "contract/result_schema.h"
#include "platform/dos_pattern.h"
#include "platform/file_system.h"
#include "platform/result_set.h"
#include "platform/text_helpers.h"
#include "results/nuclide_list.h"
#include "results/peak_table.h"
#include "results/result_numbers.h"

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

std::string strongest_lines(const ResultModel& result) {
    struct Line {
        double area;
        double energy;
    };
    std::vector<Line> lines;
    for (const PeakRow& peak : result.peaks.rows)
        if (peak.area && peak.energy) lines.push_back({*peak.area, *peak.energy});
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

std::vector<SummaryActivity> activities_of(const ResultModel& result) {
    namespace column = result_schema::nuclide_column;
    const ResultRows<NuclideRow>& t = result.nuclides;
    std::vector<SummaryActivity> out;
    if (!t.column(column::verdict)) return out;
    std::string unit = value_of(result.nuclide_keys, result_schema::nuclide_key::unit);
    if (unit.empty()) unit = "Bq";
    for (std::size_t row = 0; row < t.rows.size(); ++row) {
        const Verdict verdict = t.rows[row].verdict;
        if (verdict == Verdict::none) continue;
        out.push_back({t.rows[row].nuclide, activity_text(result, row),
                       t.cell(row, column::activity), t.cell(row, column::d_activity), unit,
                       t.cell(row, column::coverage_low), t.cell(row, column::coverage_high),
                       t.cell(row, column::decision_threshold),
                       t.cell(row, column::detection_limit), std::string(verdict_word(verdict)),
                       t.cell(row, column::primary_result), t.cell(row, column::d_primary_result),
                       t.cell(row, column::decision), t.cell(row, column::identified)});
    }
    return out;
}

// A result older than this run is an earlier run's: this run failed for it, with
// the reason it gave, or left no result at all.
// A file this run could not convert has no result of this run, whatever the
// clock says (file times may not tell apart two runs within one second).
void mark_earlier(SummaryRow& row, const FileSystem& fs, const ThisRun& this_run) {
    std::string reason;
    for (const auto& [base, why] : this_run.failures)
        if (equal_ignoring_case(base, row.name)) reason = why;
    const std::optional<std::int64_t> written = fs.modification_time(row.result_path);
    const bool older = !written || *written < this_run.start;
    if (reason.empty() && !older) return;
    row.earlier = true;
    row.failure = (reason.empty() ? std::string("no result from this run") : reason) +
                  " (the result shown is an earlier one)";
}

}  // namespace

SummaryRow summary_row(std::string_view name, const std::optional<ResultModel>& result,
                       std::string_view run_log) {
    SummaryRow row;
    row.name = std::string(name);
    if (!result) {
        row.failure = logged_failure(name, run_log);
        if (row.failure.empty()) row.failure = "no result";
        return row;
    }
    row.live_time = result->spectrum.live_time ? number_text(*result->spectrum.live_time) : "";
    // A result written for a spectrum that could not be analysed has no range and no
    // calibration (results of earlier versions may lack the range).
    if (result->spectrum.analysed_range.empty() && result->calibration.energy.empty()) {
        row.failure = result->messages.empty() ? "not analysed" : result->messages.front();
        return row;
    }
    row.peaks = std::to_string(result->peaks.rows.size());
    row.strongest = strongest_lines(*result);
    row.nuclides = joined(identified_nuclides(*result));
    row.activities = activities_of(*result);
    return row;
}

std::vector<SummaryRow> summarise_run(const FileSystem& fs, const std::string& res_dir,
                                      const std::vector<std::string>& names,
                                      const std::optional<ThisRun>& this_run) {
    std::string log;
    if (!fs.read_file(res_dir + std::string(run_log_name), log).ok()) log.clear();
    std::vector<SummaryRow> rows;
    for (const std::string& name : names) {
        const std::string path = res_dir + name + ".res";
        std::string text;
        std::optional<ResultModel> result;
        if (fs.read_file(path, text).ok()) result = read_result(text);
        rows.push_back(summary_row(name, result, log));
        if (result) rows.back().result_path = path;
        if (this_run && result) mark_earlier(rows.back(), fs, *this_run);
    }
    return rows;
}

std::string summary_csv(const std::vector<SummaryRow>& rows) {
    // Runs without identification export as they always did.
    const bool nuclides = std::any_of(rows.begin(), rows.end(),
                                      [](const SummaryRow& row) { return !row.nuclides.empty(); });
    std::string text = "spectrum,live_time,peaks,strongest_lines,failure";
    text += nuclides ? ",nuclides\r\n" : "\r\n";
    for (const SummaryRow& row : rows) {
        text += csv_field(row.name) + "," + csv_field(row.live_time) + "," + csv_field(row.peaks) +
                "," + csv_field(row.strongest) + "," + csv_field(row.failure);
        text += nuclides ? "," + csv_field(row.nuclides) + "\r\n" : "\r\n";
    }
    return text;
}

}  // namespace sorvane

namespace sorvane {

std::string activities_csv(const std::vector<SummaryRow>& rows) {
    std::string text =
        "spectrum,nuclide,activity,d_activity,unit,coverage_low,coverage_high,"
        "decision_threshold,detection_limit,verdict,primary_result,d_primary_result,decision,"
        "identified\r\n";
    for (const SummaryRow& row : rows)
        for (const SummaryActivity& a : row.activities) {
            for (const std::string* field :
                 {&row.name, &a.nuclide, &a.activity, &a.d_activity, &a.unit, &a.coverage_low,
                  &a.coverage_high, &a.decision_threshold, &a.detection_limit})
                text += csv_field(*field == "-" ? std::string() : *field) + ",";
            text += csv_field(a.verdict);
            for (const std::string* field :
                 {&a.primary_result, &a.d_primary_result, &a.decision, &a.identified})
                text += "," + csv_field(*field == "-" ? std::string() : *field);
            text += "\r\n";
        }
    return text;
}

std::vector<std::string> activity_nuclides(const std::vector<SummaryRow>& rows) {
    std::vector<std::string> names;
    for (const SummaryRow& row : rows)
        for (const SummaryActivity& a : row.activities)
            if (std::find(names.begin(), names.end(), a.nuclide) == names.end())
                names.push_back(a.nuclide);
    return names;
}

}  // namespace sorvane
