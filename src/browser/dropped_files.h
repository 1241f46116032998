#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browser/browsers.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;

// Looks names up among the normal files of their folders (hidden and system files
// left out), listing each folder once however many dropped names it holds.
class NormalFiles {
public:
    explicit NormalFiles(const FileSystem& files) : files_(files) {}
    // The name, as stored, of the normal file `path` designates; empty otherwise.
    std::string name_of(std::string_view path);

private:
    const FileSystem& files_;
    std::map<std::string, std::map<std::string, std::string>> folders_;  // lower-case names
};

// The name of the normal file a path designates, empty when there is none
// (folders, hidden and system files do not count).
std::string file_name_of(std::string_view path, const FileSystem& files);
// The path without that name: the folder with its separator for an existing file,
// the whole path otherwise.
std::string folder_of(std::string_view path, const FileSystem& files);
// What follows the last "." of that name; empty when it has none or is empty.
std::string extension_of(std::string_view path, const FileSystem& files);

// Files dropped on the raw list: its browser opens the first one's folder and the
// entries containing an accepted name are selected. Returns that folder, which
// becomes the raw input folder even when the tree cannot open it; nothing for a
// drop that holds no file list (it changes nothing). The window takes the focus
// afterwards in both cases (the caller's part).
std::optional<std::string> drop_on_raw_list(Form1& form, Browsers& browsers,
                                            const std::optional<std::vector<std::string>>& dropped,
                                            const FileSystem& files);

// Files dropped on the result list: its browser opens the first one's folder.
void drop_on_result_list(Form1& form, Browsers& browsers,
                         const std::optional<std::vector<std::string>>& dropped,
                         const FileSystem& files);

// The drop event of `File1(index)`; the raw input folder a drop on the raw list
// names, for the caller to store.
std::optional<std::string> File1_OLEDragDrop(Form1& form, Browsers& browsers, int index,
                                             const std::optional<std::vector<std::string>>& dropped,
                                             const FileSystem& files);

}  // namespace sorvane
