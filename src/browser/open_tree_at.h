#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "browser/browsers.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;

// Why a tree could not be opened at a folder.
class TreeOpenError : public std::runtime_error {
public:
    enum class Kind {
        no_node,         // the folder is not in the tree (or the text holds no separator)
        path_not_found,  // the tree has the node but the folder is gone from disk
    };
    TreeOpenError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Opens tree `index` at `folder` (ending in the separator: "C:\data\spectra\"),
// expanding every level on the way and matching names ignoring case; a text
// without a final separator opens at its parent. The file list and the directory
// field of that index then show the folder as given. Throws TreeOpenError, with
// the file list and field unchanged, when the last level is not in the tree or
// the folder no longer exists.
void open_tree_at(Form1& form, Browsers& browsers, int index, std::string_view folder,
                  const FileSystem& files);

}  // namespace sorvane
