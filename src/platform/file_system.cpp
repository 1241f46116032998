#include "platform/file_system.h"

namespace sorvane {

std::string folder_of_path(std::string_view path, char separator) {
    std::size_t at = path.find_last_of(separator);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string name_of_path(std::string_view path, char separator) {
    std::size_t at = path.find_last_of(separator);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

}  // namespace sorvane
