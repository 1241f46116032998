#include "ui/result_entry.h"

#include <cctype>

namespace sorvane {

std::optional<std::string> result_entry_path(const FileListBox& list, std::size_t entry,
                                             char separator) {
    if (entry >= list.entries.size()) return std::nullopt;
    const std::string& name = list.entries[entry];
    if (name.size() < 5) return std::nullopt;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".res") return std::nullopt;
    // The folder as the list itself reads it: "C:" is the drive's root.
    std::string folder = list.folder;
    if (!folder.empty() && folder.back() != separator) folder += separator;
    return folder + name;
}

}  // namespace sorvane
