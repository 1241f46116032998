#pragma once

#include <string>
#include <vector>

namespace sorvane {

// Rows of fields as lines whose columns line up: each field but the last padded
// with blanks to its column's widest field, one blank between columns, so that the
// lines still split at blanks.
std::vector<std::string> aligned_lines(const std::vector<std::vector<std::string>>& rows);

}  // namespace sorvane
