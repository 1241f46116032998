#pragma once

#include <optional>
#include <string>
#include <vector>

#include "results/result_file.h"

namespace sorvane {

// The peak table as the result view shows it: rounded to the uncertainty, flags in
// words, and a number to sort each cell by (none for text).
struct PeakTableRow {
    std::size_t result_row = 0;
    std::vector<std::string> cells;
    std::vector<std::optional<double>> keys;
};

struct PeakTable {
    std::vector<std::string> headers;
    std::vector<PeakTableRow> rows;
};

PeakTable peak_table(const ResultModel& result);

// A value and its uncertainty rounded to the uncertainty's first two digits
// ("60282.58", "263.39" give "60280" and "260").
std::pair<std::string, std::string> rounded_pair(double value, double uncertainty);

// Rows as tab-separated lines with the header first, for the clipboard.
std::string table_text(const PeakTable& table, const std::vector<std::size_t>& rows);

// A CSV field: as it is, or quoted (quotes doubled) when it holds a comma, a quote
// or a line end.
std::string csv_field(const std::string& field);

// The path a CSV export writes to: a name without an extension gets ".csv", the
// one the save dialog offered.
std::string with_csv_extension(std::string path);

// Every peak with the result's full digits, comma-separated, flags in words, for
// other programs (a header line; fields with a comma or quote are quoted).
std::string peaks_csv(const ResultModel& result);

}  // namespace sorvane
