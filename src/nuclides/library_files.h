#pragma once

#include <string>
#include <vector>

#include "contract/nuclide_settings.h"
#include "line_library.h"
#include "platform/file_system.h"

namespace sorvane::nuclides {

// The bundled library's two files, in its folder.
inline constexpr std::string_view bundled_lines_file = "gamma_lines.csv";
inline constexpr std::string_view bundled_nuclides_file = "nuclides.csv";

// The folder of the bundled library: the first of `candidates` (folders ending in
// the separator) that holds its lines file, or empty.
std::string find_bundled_library(const FileSystem& fs, const std::vector<std::string>& candidates);

// Where a laboratory's lines file keeps its half-lives: beside it, the same name
// with ".csv" (or the whole name) followed by ".nuclides.csv"; "lab.csv" has
// "lab.nuclides.csv". The file is optional.
std::string nuclides_file_beside(const std::string& lines_file);

// The library the settings ask for: the bundled one (from `bundled_folder`) and
// each laboratory file with its half-lives; a missing or unreadable file is a
// problem, and what could be read is kept.
LineLibrary load_line_library(const FileSystem& fs, const NuclideSettings& settings,
                              const std::string& bundled_folder);

}  // namespace sorvane::nuclides
