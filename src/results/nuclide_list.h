#pragma once

#include <string>
#include <vector>

#include "results/result_file.h"

namespace sorvane {

// The nuclide list of the result view: identified nuclides first (by score), then
// the candidates that were not; activity columns only when the result has them.
struct NuclideListRow {
    std::size_t result_row = 0;
    bool identified = false;
    bool flagged = false;  // an activity that needs a second look (outside the curve)
    std::vector<std::string> cells;
};

struct NuclideList {
    std::vector<std::string> headers;
    std::vector<NuclideListRow> rows;
    std::vector<std::string> notes;  // library, chains, reference time, efficiency, unit ...
};

NuclideList nuclide_list(const ResultModel& result);

// The verdict of an activity in words ("not_detected" gives "not detected").
std::string verdict_in_words(Verdict verdict);

// "< 1.2 Bq" style text of an activity, or the value with its uncertainty; empty
// when the row has no activity columns.
std::string activity_text(const ResultModel& result, std::size_t row);

// The peaks no nuclide explains: number, energy, area and flags in words.
struct UnexplainedPeak {
    std::string number;
    std::string energy;
    std::string area;
    std::string flags;
};
std::vector<UnexplainedPeak> unexplained_peaks(const ResultModel& result);

// The names of the identified nuclides, in the result's order.
std::vector<std::string> identified_nuclides(const ResultModel& result);

}  // namespace sorvane
