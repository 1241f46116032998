#pragma once

#include <string>
#include <string_view>

namespace sorvane {

// File texts and paths are the 8-bit bytes of the file-system layer (the ANSI code
// page on Windows); the window's controls take wide characters.
std::wstring to_wide(std::string_view text);
std::string from_wide(std::wstring_view text);

}  // namespace sorvane
