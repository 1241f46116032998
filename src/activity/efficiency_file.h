#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "activity/efficiency_curve.h"

namespace sorvane::activity {

// The efficiency file: "[efficiency]", then "key = value" lines, CR LF, and the
// coefficients, one covariance line per row and one line per standard's point.
std::string render_efficiency_file(const EfficiencyCurve& curve);

struct EfficiencyFileRead {
    std::optional<EfficiencyCurve> curve;  // nothing when the file cannot be used
    std::vector<std::string> problems;     // "FILE line N: why" or "FILE: why"
};

// Unknown keys are skipped (a newer program may write more). A value that cannot
// be read, a covariance of the wrong size or one that is not a covariance (negative
// variance, not symmetric) makes the curve unusable.
EfficiencyFileRead parse_efficiency_file(std::string_view text, const std::string& file_name);

}  // namespace sorvane::activity
