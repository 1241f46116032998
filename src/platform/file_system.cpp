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

std::string absolute_path(std::string_view path, const FileSystem& files) {
    const char separator = files.separator();
    const bool from_root = !path.empty() && (path.front() == separator || path.front() == '/');
    const bool from_drive = separator == '\\' && path.size() >= 2 && path[1] == ':';
    if (from_root || from_drive) return std::string(path);
    while (path.size() >= 2 && path[0] == '.' && (path[1] == separator || path[1] == '/'))
        path.remove_prefix(2);
    return files.current_folder() + std::string(path);
}

}  // namespace sorvane
