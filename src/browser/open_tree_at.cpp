#include "browser/open_tree_at.h"

#include <optional>

#include "browser/tree_images.h"
#include "form/directory_field.h"
#include "form/file_list.h"
#include "platform/dos_pattern.h"
#include "platform/file_system.h"

namespace sorvane {
namespace {

// The first node whose folder equals `prefix` ignoring case; count + 1 when none
// does ("my computer" names no folder and never matches).
int matching_node(const FolderTree& tree, std::string_view prefix, char separator) {
    const int n = tree.count();
    for (int node = 1; node <= n; ++node) {
        std::optional<std::string> folder = folder_of_node(tree, node, separator);
        if (folder && equal_ignoring_case(*folder, prefix)) return node;
    }
    return n + 1;
}

// Lines the view scrolls down so the opened node sits a few rows above the bottom.
int lines_to_scroll(const FolderTree& tree, int node) {
    const int j = node - tree.first_sibling(node) + 1;
    const int lines = j - tree.visible_rows + 4;
    return lines > 0 ? lines : 0;
}

}  // namespace

void open_tree_at(Form1& form, Browsers& browsers, int index, std::string_view folder,
                  const FileSystem& files) {
    const auto at = static_cast<std::size_t>(index);
    FolderTree& tree = browsers.TreeView1.at(at);
    const char separator = files.separator();
    std::string prefix;
    int k = 0;
    std::size_t pos = 0;
    bool any = false;
    for (std::size_t b = folder.find(separator); b != std::string_view::npos;
         b = folder.find(separator, pos)) {
        any = true;
        prefix = std::string(folder.substr(0, b));
        pos = b + 1;
        k = matching_node(tree, prefix, separator);
        if (tree.exists(k)) TreeView1_Expand(browsers, index, k, files);
    }
    if (!any || !tree.exists(k)) {
        throw TreeOpenError(TreeOpenError::Kind::no_node,
                            std::string(folder) + ": the folder is not in the tree");
    }
    // A drive root has no folder image of its own; folders below it show "open".
    if (tree.depth(k) > 1) tree.node(k).image = std::string(image_open);
    tree.select(k);
    tree.scrolled_lines += lines_to_scroll(tree, k);
    browsers.open_node.at(at) = k;
    // The POSIX root's prefix is empty; its list still needs a folder to show.
    const std::string listed = prefix.empty() ? std::string(1, separator) : prefix;
    if (!files.folder_exists(listed + separator) && !files.folder_exists(listed)) {
        throw TreeOpenError(TreeOpenError::Kind::path_not_found, listed + ": File does not exist.");
    }
    set_file_list_folder(form.File1.at(at), listed, files);
    show_folder_in_field(form.Text9.at(at), prefix + separator);
}

}  // namespace sorvane
