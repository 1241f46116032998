#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

class FileSystem;

// A list of the normal files of one folder that match a pattern, several of which
// may be selected. The entries follow the folder and the pattern: changing either
// lists the folder again and clears the selection; setting the folder already
// listed lists it again and keeps the entries that stay selected.
struct FileListBox {
    std::string folder;  // as set: "C:\data\spectra", "C:" or "C:\"; empty lists nothing
    std::string pattern = "*.*";
    std::vector<std::string> entries;  // names without the folder, in list order
    std::vector<bool> selected;        // one flag per entry
    bool enabled = true;
    bool visible = true;

    std::size_t count() const { return entries.size(); }
    bool is_selected(std::size_t entry) const { return entry < selected.size() && selected[entry]; }
    void set_selected(std::size_t entry, bool on);
    // The selected names in list order.
    std::vector<std::string> selected_names() const;
};

// Lists the folder again with the pattern; every entry starts unselected.
void refresh_file_list(FileListBox& list, const FileSystem& files);
// Keeps the selection when `folder` is the one already listed (ignoring case and a
// trailing separator).
void set_file_list_folder(FileListBox& list, std::string folder, const FileSystem& files);
void set_file_list_pattern(FileListBox& list, std::string pattern, const FileSystem& files);

}  // namespace sorvane
