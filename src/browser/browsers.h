#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browser/folder_tree.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;
class Ui;

// The two folder trees of the window: index 0 chooses the raw input folder,
// index 1 the result folder.
struct Browsers {
    std::array<FolderTree, 2> TreeView1;
    // The node last made the open folder of each tree; 0 until one is.
    std::array<std::int32_t, 4> open_node{};
    // Numbers the drive nodes of both trees in one run, so their keys differ.
    int drive_counter = 0;
};

inline constexpr std::string_view root_key = "rt";
inline constexpr std::string_view root_text = "my computer";

// Fills both trees with "my computer", the drives and each drive's first level of
// folders.
void build_drive_trees(Browsers& browsers, const FileSystem& files);

// Adds the sub-folders of `folder` (a path without trailing separator: "C:" for a
// drive, "C:\data" below it) under the node `parent_key` of tree `index`.
void Folder_Serch(Browsers& browsers, std::string_view folder, std::string_view parent_key,
                  int index, const FileSystem& files);

// The fill run when a node is expanded: lists the sub-folders of each child, in
// display order, until a child that already has children.
void Folder_Next_Search_rt(Browsers& browsers, int node, int index, const FileSystem& files);

// Expands or collapses a node; expanding a collapsed node runs the fill first.
void TreeView1_Expand(Browsers& browsers, int index, int node, const FileSystem& files);
void TreeView1_Collapse(Browsers& browsers, int index, int node);

// A click makes the node the tree's open folder: its image, the file list and the
// directory field of the same index follow. "my computer" names no folder and
// changes nothing; a folder that vanished shows "File does not exist." and
// changes nothing.
void TreeView1_NodeClick(Form1& form, Browsers& browsers, int index, int node,
                         const FileSystem& files, Ui& ui);

// The folder a node stands for, without trailing separator ("C:" for a drive,
// "C:\data" below it, "" for the POSIX root); nothing for "my computer".
std::optional<std::string> folder_of_node(const FolderTree& tree, int node, char separator);

}  // namespace sorvane
