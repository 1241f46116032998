#include "form/directory_field.h"

namespace sorvane {

std::string folder_of_field(const TextBox& field) {
    if (field.text.size() <= directory_prefix.size()) return {};
    return field.text.substr(directory_prefix.size());
}

void show_folder_in_field(TextBox& field, std::string_view folder) {
    field.text = std::string(directory_prefix) + std::string(folder);
}

}  // namespace sorvane
