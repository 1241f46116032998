#include "browser/dropped_files.h"

#include <algorithm>
#include <cctype>

#include "browser/open_tree_at.h"
#include "platform/file_system.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

std::string extension_of_name(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string folder_without(std::string_view path, std::string_view name) {
    return std::string(path.substr(0, path.size() - std::min(path.size(), name.size())));
}

}  // namespace

std::string NormalFiles::name_of(std::string_view path) {
    const char separator = files_.separator();
    const std::string folder = folder_of_path(path, separator);
    const std::string name = name_of_path(path, separator);
    if (name.empty()) return {};
    auto listed = folders_.find(folder);
    if (listed == folders_.end()) {
        std::map<std::string, std::string> names;
        if (!folder.empty()) {
            for (const FolderEntry& entry : files_.list_files(folder, "*.*")) {
                names.emplace(lower_text(entry.name), entry.name);
            }
        }
        listed = folders_.emplace(folder, std::move(names)).first;
    }
    auto found = listed->second.find(lower_text(name));
    return found == listed->second.end() ? std::string() : found->second;
}

std::string file_name_of(std::string_view path, const FileSystem& files) {
    return NormalFiles(files).name_of(path);
}

std::string folder_of(std::string_view path, const FileSystem& files) {
    return folder_without(path, file_name_of(path, files));
}

std::string extension_of(std::string_view path, const FileSystem& files) {
    return extension_of_name(file_name_of(path, files));
}

std::optional<std::string> drop_on_raw_list(Form1& form, Browsers& browsers,
                                            const std::optional<std::vector<std::string>>& dropped,
                                            const FileSystem& files) {
    // The filter is read before opening the folder can change anything.
    const std::string filter = form.File1[0].pattern;
    if (!dropped || dropped->empty()) return std::nullopt;
    NormalFiles normal(files);
    const std::string& first = dropped->front();
    std::string folder = folder_without(first, normal.name_of(first));
    try {
        open_tree_at(form, browsers, 0, folder, files);
    } catch (const TreeOpenError&) {
        // A folder the tree cannot show leaves the window as it was.
        return folder;
    }
    std::vector<std::string> accepted;
    for (const std::string& path : *dropped) {
        const std::string name = normal.name_of(path);
        const std::string extension = extension_of_name(name);
        if (extension.empty()) continue;
        const std::size_t found = filter.find(extension, 1);
        if (found != std::string::npos) accepted.push_back(name);
    }
    FileListBox& list = form.File1[0];
    std::vector<std::string> entries;
    for (const std::string& entry : list.entries) entries.push_back(lower_text(entry));
    for (const std::string& name : accepted) {
        const std::string part = lower_text(name);
        for (std::size_t entry = 0; entry < entries.size(); ++entry) {
            if (entries[entry].find(part) != std::string::npos) list.set_selected(entry, true);
        }
    }
    return folder;
}

void drop_on_result_list(Form1& form, Browsers& browsers,
                         const std::optional<std::vector<std::string>>& dropped,
                         const FileSystem& files) {
    if (!dropped || dropped->empty()) return;
    try {
        open_tree_at(form, browsers, 1, dropped->front(), files);
    } catch (const TreeOpenError&) {
        // As on the raw list: nothing changes.
    }
}

std::optional<std::string> File1_OLEDragDrop(Form1& form, Browsers& browsers, int index,
                                             const std::optional<std::vector<std::string>>& dropped,
                                             const FileSystem& files) {
    if (index == 0) return drop_on_raw_list(form, browsers, dropped, files);
    drop_on_result_list(form, browsers, dropped, files);
    return std::nullopt;
}

}  // namespace sorvane
