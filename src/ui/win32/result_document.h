#pragma once

#include <string>
#include <vector>

#include "results/run_summary.h"

namespace sorvane {

class FileSystem;

// What a ".res" entry opens in the shell: the result's report page B.html beside
// it, else its plot B.svg, else the result text itself.
std::string result_document_of(const std::string& res_path, const FileSystem& files);

// The run summary as plain lines, one per spectrum, for a list window.
std::vector<std::string> summary_lines(const std::vector<SummaryRow>& rows);

}  // namespace sorvane
