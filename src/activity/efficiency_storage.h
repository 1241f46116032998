#pragma once

#include <optional>
#include <string>
#include <vector>

#include "activity/efficiency_curve.h"
#include "platform/file_system.h"

namespace sorvane::activity {

// Writes the efficiency file whole (beside it first, then renamed over it), so an
// earlier file is never left half written.
FsResult save_efficiency_file(FileSystem& fs, const std::string& path,
                              const EfficiencyCurve& curve);

struct LoadedEfficiency {
    std::optional<EfficiencyCurve> curve;
    std::vector<std::string> problems;  // "PATH line N: why", "cannot read PATH: why"
};

LoadedEfficiency load_efficiency_file(const FileSystem& fs, const std::string& path);

}  // namespace sorvane::activity
