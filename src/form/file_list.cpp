#include "form/file_list.h"

#include "platform/file_system.h"

namespace sorvane {

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
    list.folder = std::move(folder);
    refresh_file_list(list, files);
}

void set_file_list_pattern(FileListBox& list, std::string pattern, const FileSystem& files) {
    list.pattern = std::move(pattern);
    refresh_file_list(list, files);
}

}  // namespace sorvane
