#include "form/file_list.h"

#include <set>

#include "platform/dos_pattern.h"
#include "platform/file_system.h"

namespace sorvane {
namespace {

// "C:", "C:\" and "c:\" name one folder; so do "/data" and "/data/".
bool same_folder(std::string_view a, std::string_view b, char separator) {
    if (a.empty() || b.empty()) return false;
    if (a.size() > 1 && a.back() == separator) a.remove_suffix(1);
    if (b.size() > 1 && b.back() == separator) b.remove_suffix(1);
    return equal_ignoring_case(a, b);
}

}  // namespace

void FileListBox::set_selected(std::size_t entry, bool on) {
    if (entry < selected.size()) selected[entry] = on;
}

std::vector<std::string> FileListBox::selected_names() const {
    std::vector<std::string> names;
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        if (is_selected(entry)) names.push_back(entries[entry]);
    }
    return names;
}

void refresh_file_list(FileListBox& list, const FileSystem& files) {
    list.entries.clear();
    if (!list.folder.empty()) {
        // A drive given as "C:" is its root; the listing wants the separator at the end.
        std::string folder = list.folder;
        if (folder.back() != files.separator()) folder += files.separator();
        for (const FolderEntry& entry : files.list_files(folder, list.pattern)) {
            list.entries.push_back(entry.name);
        }
    }
    list.selected.assign(list.entries.size(), false);
}

void set_file_list_folder(FileListBox& list, std::string folder, const FileSystem& files) {
    // Listing the same folder again keeps what the user selected there.
    std::set<std::string> kept;
    if (same_folder(list.folder, folder, files.separator())) {
        const std::vector<std::string> names = list.selected_names();
        kept.insert(names.begin(), names.end());
    }
    list.folder = std::move(folder);
    refresh_file_list(list, files);
    if (kept.empty()) return;
    for (std::size_t entry = 0; entry < list.entries.size(); ++entry) {
        if (kept.contains(list.entries[entry])) list.selected[entry] = true;
    }
}

void set_file_list_pattern(FileListBox& list, std::string pattern, const FileSystem& files) {
    list.pattern = std::move(pattern);
    refresh_file_list(list, files);
}

}  // namespace sorvane
