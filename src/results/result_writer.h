#pragma once

#include <string>
#include <vector>

#include "results/result_model.h"

namespace sorvane {

// The text of B.res: CR LF lines, sections [spectrum], [calibration], [options],
// [peaks], the nuclide tables the model holds, [messages], [flags], [regions] and
// [counts] when it holds the counts, and [data] when it lists channels.
std::string write_result(const ResultModel& model);

// Rounds every number of the model to the digits write_result gives it, so that the
// model holds what a reader of its file gets back.
void round_to_written(ResultModel& model);

// B.csv: "channel,counts,fit,background" for every channel.
std::string result_csv(const ResultModel& model);

// The key lines of a section as the result writes them.
NamedValues spectrum_values(const ResultModel& model);
NamedValues calibration_values(const ResultModel& model);
NamedValues options_values(const ResultModel& model);

// Rows of fields as lines whose columns line up under the first row's names.
std::vector<std::string> aligned_lines(const std::vector<std::vector<std::string>>& rows);

}  // namespace sorvane
