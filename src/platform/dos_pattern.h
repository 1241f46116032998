#pragma once

#include <string_view>

namespace sorvane {

// DOS wildcard matching as the file lists use it, on every platform and ignoring
// case: "*" any run of characters, "?" one character, and "*.*" every name, with
// or without a dot. "*.chn" matches the extension chn in any case.
bool matches_dos_pattern(std::string_view name, std::string_view pattern);

// Several patterns separated by ";" ("*.chn;*.asc"); a name matching any passes.
bool matches_any_dos_pattern(std::string_view name, std::string_view patterns);

bool equal_ignoring_case(std::string_view a, std::string_view b);
bool less_ignoring_case(std::string_view a, std::string_view b);
bool contains_ignoring_case(std::string_view text, std::string_view part);

}  // namespace sorvane
