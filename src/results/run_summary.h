#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/result_file.h"

namespace sorvane {

class FileSystem;

// One nuclide's activity (or limit) in one spectrum, with the result's full digits.
struct SummaryActivity {
    std::string nuclide;
    std::string shown;  // "12.3 +- 0.4 Bq" or "< 1.2 Bq"
    std::string activity;
    std::string d_activity;
    std::string unit;
    std::string coverage_low;
    std::string coverage_high;
    std::string decision_threshold;
    std::string detection_limit;
    std::string verdict;
    // The decision on the counts of the identifying line's region, and identification
    // beside it; empty in results that do not carry them.
    std::string primary_result = {};
    std::string d_primary_result = {};
    std::string decision = {};
    std::string identified = {};
};

// One spectrum of a run as the run summary lists it.
struct SummaryRow {
    std::string name{};         // base name
    std::string live_time{};    // seconds, as the result gives it
    std::string peaks{};        // how many, empty when the spectrum failed
    std::string strongest{};    // the three largest areas: "121.8 keV 60280; ..."
    std::string failure{};      // why there is no analysis, empty when there is one
    std::string result_path{};  // empty when no result exists
    std::string nuclides = {};  // the identified ones, blank-separated
    std::vector<SummaryActivity> activities = {};
    bool earlier = false;  // the result shown is an earlier run's: this run left none
};

// What a summary knows of the run it follows, so that an earlier run's result is
// not taken for this one's.
struct ThisRun {
    std::int64_t start = 0;  // the file clock's time as the run began
    // Base names whose file this run could not convert, and why.
    std::vector<std::pair<std::string, std::string>> failures;
};

// The row of a base name from its result (when there is one) and the run log.
SummaryRow summary_row(std::string_view name, const std::optional<ResultModel>& result,
                       std::string_view run_log);

// The rows of the base names' results in the result folder (ending in the
// separator), reasons of failures from its sorvane-run.log.
// With `this_run`, a result older than the run is shown as the earlier one it is,
// with this run's failure beside it.
std::vector<SummaryRow> summarise_run(const FileSystem& fs, const std::string& res_dir,
                                      const std::vector<std::string>& names,
                                      const std::optional<ThisRun>& this_run = std::nullopt);

std::string summary_csv(const std::vector<SummaryRow>& rows);

// Every activity of every spectrum, one line each, for other programs.
std::string activities_csv(const std::vector<SummaryRow>& rows);

// The nuclides that have an activity or a limit in any row, in order of first sight.
std::vector<std::string> activity_nuclides(const std::vector<SummaryRow>& rows);

}  // namespace sorvane
