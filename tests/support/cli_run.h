#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"

namespace sorvane {

// What one sorvanecli call printed and returned.
struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun run_cli(FileSystem& fs, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = run_sorvanecli(args, fs, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace sorvane
