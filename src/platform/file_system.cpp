#include "platform/file_system.h"

namespace sorvane {

namespace {

// Windows takes "/" between folders as well as a backslash; elsewhere a backslash may
// be part of a name.
std::size_t last_separator(std::string_view path, char separator) {
    return separator == '\\' ? path.find_last_of("\\/") : path.find_last_of(separator);
}

}  // namespace

FsResult write_whole_file(FileSystem& files, const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    FsResult result = files.write_file(temporary, bytes);
    if (!result.ok()) return result;
    result = files.rename_file(temporary, path);
    if (!result.ok()) files.remove_file(temporary);
    return result;
}

std::string folder_of_path(std::string_view path, char separator) {
    std::size_t at = last_separator(path, separator);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string name_of_path(std::string_view path, char separator) {
    std::size_t at = last_separator(path, separator);
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

std::string path_from_folder(const std::string& folder, const std::string& path, char separator) {
    const bool rooted = !path.empty() && (path.front() == '/' || path.front() == '\\' ||
                                          (path.size() > 1 && path[1] == ':'));
    if (rooted || folder.empty()) return path;
    return folder.back() == separator ? folder + path : folder + separator + path;
}

}  // namespace sorvane
