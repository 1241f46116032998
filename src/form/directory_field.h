#pragma once

#include <string>
#include <string_view>

#include "form/controls.h"

namespace sorvane {

// A directory field shows its browser's folder after this prefix.
inline constexpr std::string_view directory_prefix = "open dir: ";
// What a directory field reads before any folder was opened.
inline constexpr std::string_view directory_field_initial_text = "Text9";

// The folder of a directory field: its text from the eleventh character on (empty
// when shorter). The prefix itself is not checked, as the user may edit the field.
std::string folder_of_field(const TextBox& field);

// Shows a folder (ending in the separator) in a directory field.
void show_folder_in_field(TextBox& field, std::string_view folder);

}  // namespace sorvane
