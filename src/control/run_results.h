#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

// What tells one run's results from earlier ones in its result folder: the base
// names it handed to the runtime and the time it started (seconds since 1970 UTC, on
// the same clock as the file system's modification times).
struct RunMark {
    std::string res_dir;             // ends in the separator
    std::vector<std::string> bases;  // in list order, each once
    std::int64_t started = 0;
};

// The bases of `run` whose B.res in the result folder was written since the run
// started, found from one listing of the folder (names compared ignoring case). The
// file system counts whole seconds, so a result of an earlier run that ended in the
// very second this one started counts as this run's; a run that waits has moved
// every earlier result aside meanwhile, so there each B.res present is its own.
std::vector<std::string> results_of_run(const FileSystem& files, const RunMark& run);

}  // namespace sorvane
