#pragma once

#include <string>
#include <string_view>

namespace sorvane {

// A listed file name without its last four characters (".iec" and the like);
// a name of four characters or fewer has an empty base name.
inline std::string base_name_of(std::string_view file_name) {
    return file_name.size() > 4 ? std::string(file_name.substr(0, file_name.size() - 4))
                                : std::string();
}

}  // namespace sorvane
