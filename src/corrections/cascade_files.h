#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cascade_data.h"
#include "platform/file_system.h"

namespace sorvane::corrections {

// The bundled cascades, beside the bundled line library.
inline constexpr std::string_view bundled_cascades_file = "cascades.csv";

// The cascades of `files` in turn (a later file's nuclide replaces an earlier one);
// a file that cannot be read is a problem naming it, and the others are still read.
CascadeLibrary load_cascades(const FileSystem& fs, const std::vector<std::string>& files);

}  // namespace sorvane::corrections
