#include "browser/browsers.h"

#include "browser/tree_images.h"
#include "form/directory_field.h"
#include "form/file_list.h"
#include "platform/file_system.h"
#include "platform/text_helpers.h"
#include "platform/ui.h"

namespace sorvane {
namespace {

// "(C:)" for the root "C:\", "(/)" for the POSIX root.
std::string drive_text(std::string_view root, char separator) {
    std::string name(root);
    if (name.size() > 1 && name.back() == separator) name.pop_back();
    return "(" + name + ")";
}

// The drive's own path as folders below it are joined onto it: "C:", or "" for "/".
std::string drive_base(std::string_view text, char separator) {
    std::string base;
    for (char c : text) {
        if (c != '(' && c != ')') base += c;
    }
    if (!base.empty() && base.back() == separator) base.pop_back();
    return base;
}

// The folder path a click opens: the drive's root with its separator, or a folder
// path without one.
std::string clicked_folder(const FolderTree& tree, int node, const std::string& folder,
                           char separator) {
    return tree.depth(node) == 1 ? folder + separator : folder;
}

}  // namespace

std::optional<std::string> folder_of_node(const FolderTree& tree, int node, char separator) {
    if (!tree.exists(node)) return std::nullopt;
    const int level = tree.depth(node);
    if (level == 0) return std::nullopt;
    // Joined from the node texts up to the drive, so a folder named "a(1)" keeps
    // its parentheses; only the drive text loses them.
    std::string path;
    int at = node;
    for (; tree.depth(at) > 1; at = tree.node(at).parent) {
        path = separator + tree.node(at).text + path;
    }
    return drive_base(tree.node(at).text, separator) + path;
}

void Folder_Serch(Browsers& browsers, std::string_view folder, std::string_view parent_key,
                  int index, const FileSystem& files) {
    FolderTree& tree = browsers.TreeView1.at(static_cast<std::size_t>(index));
    const std::string listed = std::string(folder) + files.separator();
    int m = 0;
    const std::string parent(parent_key);
    for (const FolderEntry& entry : files.list_folders(listed)) {
        if (entry.name == "." || entry.name == "..") continue;
        ++m;
        const int added = tree.add(parent, parent + "-" + std::to_string(m), entry.name,
                                   std::string(image_close));
        if (added != 0) tree.set_sorted(added);
    }
}

void Folder_Next_Search_rt(Browsers& browsers, int node, int index, const FileSystem& files) {
    FolderTree& tree = browsers.TreeView1.at(static_cast<std::size_t>(index));
    if (!tree.exists(node)) return;
    // A copy: filling a child adds nodes, which may move the tree's storage.
    const std::vector<int> children = tree.node(node).children;
    for (int child : children) {
        if (!tree.node(child).children.empty()) return;
        std::optional<std::string> folder = folder_of_node(tree, child, files.separator());
        if (!folder) continue;
        const std::string key = tree.node(child).key;
        Folder_Serch(browsers, *folder, key, index, files);
    }
}

void build_drive_trees(Browsers& browsers, const FileSystem& files) {
    const std::vector<std::string> roots = files.drive_roots();
    browsers.drive_counter = 0;
    for (int index = 0; index < 2; ++index) {
        FolderTree& tree = browsers.TreeView1.at(static_cast<std::size_t>(index));
        tree.clear();
        tree.add({}, std::string(root_key), std::string(root_text), std::string(image_my_computer));
        for (const std::string& root : roots) {
            if (root.empty()) continue;
            ++browsers.drive_counter;
            const int drive =
                tree.add(root_key, "a-" + std::to_string(browsers.drive_counter),
                         drive_text(root, files.separator()), std::string(image_drive));
            if (drive != 0) tree.set_sorted(drive);
        }
        TreeView1_Expand(browsers, index, 1, files);
    }
}

void TreeView1_Expand(Browsers& browsers, int index, int node, const FileSystem& files) {
    FolderTree& tree = browsers.TreeView1.at(static_cast<std::size_t>(index));
    if (!tree.exists(node) || tree.node(node).expanded) return;
    Folder_Next_Search_rt(browsers, node, index, files);
    tree.node(node).expanded = true;
}

void TreeView1_Collapse(Browsers& browsers, int index, int node) {
    FolderTree& tree = browsers.TreeView1.at(static_cast<std::size_t>(index));
    if (tree.exists(node)) tree.node(node).expanded = false;
}

void TreeView1_NodeClick(Form1& form, Browsers& browsers, int index, int node,
                         const FileSystem& files, Ui& ui) {
    const auto at = static_cast<std::size_t>(index);
    FolderTree& tree = browsers.TreeView1.at(at);
    const char separator = files.separator();
    const std::optional<std::string> folder = folder_of_node(tree, node, separator);
    if (!folder) return;
    const std::string path = clicked_folder(tree, node, *folder, separator);
    if (!files.folder_exists(path)) {
        ui.message_box("File does not exist.", application_title, Buttons::ok);
        return;
    }
    const int previous = browsers.open_node.at(at);
    if (previous > 0 && tree.exists(previous) && tree.node(previous).image == image_open) {
        tree.node(previous).image = std::string(image_close);
    }
    if (tree.node(node).image == image_close) tree.node(node).image = std::string(image_open);
    browsers.open_node.at(at) = node;
    tree.select(node);
    set_file_list_folder(form.File1.at(at), path, files);
    show_folder_in_field(form.Text9.at(at), as_folder(path, separator));
}

}  // namespace sorvane
