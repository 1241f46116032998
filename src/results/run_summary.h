#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/result_file.h"

namespace sorvane {

class FileSystem;

// One spectrum of a run as the run summary lists it.
struct SummaryRow {
    std::string name;         // base name
    std::string live_time;    // seconds, as the result gives it
    std::string peaks;        // how many, empty when the spectrum failed
    std::string strongest;    // the three largest areas: "121.8 keV 60280; ..."
    std::string failure;      // why there is no analysis, empty when there is one
    std::string result_path;  // empty when no result exists
};

// The row of a base name from its result (when there is one) and the run log.
SummaryRow summary_row(std::string_view name, const std::optional<ResultFile>& result,
                       std::string_view run_log);

// The rows of the base names' results in the result folder (ending in the
// separator), reasons of failures from its sorvane-run.log.
std::vector<SummaryRow> summarise_run(const FileSystem& fs, const std::string& res_dir,
                                      const std::vector<std::string>& names);

std::string summary_csv(const std::vector<SummaryRow>& rows);

}  // namespace sorvane
