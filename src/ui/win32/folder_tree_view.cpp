#include "ui/win32/folder_tree_view.h"

#include <set>

#include "ui/win32/tree_image_list.h"
#include "ui/win32/win32_text.h"

namespace sorvane {

HTREEITEM FolderTreeView::item_of(int node) const {
    if (node < 1 || static_cast<std::size_t>(node) > items_.size()) return nullptr;
    return items_[static_cast<std::size_t>(node - 1)];
}

int FolderTreeView::visible_rows() const {
    const auto rows = static_cast<int>(SendMessageW(control_, TVM_GETVISIBLECOUNT, 0, 0));
    return rows > 0 ? rows : 1;
}

void FolderTreeView::insert_children(const FolderTree& tree, int parent) {
    const std::vector<int> none;
    std::vector<int> tops;
    if (parent == 0) {
        for (int node = 1; node <= tree.count(); ++node) {
            if (tree.node(node).parent == 0) tops.push_back(node);
        }
    }
    const std::vector<int>& children = parent == 0 ? tops : tree.node(parent).children;
    HTREEITEM after = TVI_FIRST;
    for (int child : children) {
        const auto at = static_cast<std::size_t>(child - 1);
        if (items_[at] == nullptr) {
            std::wstring text = to_wide(tree.node(child).text);
            TVINSERTSTRUCTW insert{};
            insert.hParent = parent == 0 ? TVI_ROOT : item_of(parent);
            insert.hInsertAfter = after;
            insert.item.mask = TVIF_TEXT | TVIF_PARAM;
            insert.item.pszText = text.data();
            insert.item.lParam = child;
            items_[at] = reinterpret_cast<HTREEITEM>(
                SendMessageW(control_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        }
        after = items_[at];
    }
}

void FolderTreeView::sync(const FolderTree& tree) {
    if (tree.generation() != generation_) {
        generation_ = tree.generation();
        SendMessageW(control_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        items_.clear();
        images_.clear();
        scrolled_lines_ = 0;
    }
    // The parents of the nodes added since the last sync, parents before children.
    std::set<int> grown;
    for (int node = static_cast<int>(items_.size()) + 1; node <= tree.count(); ++node) {
        items_.push_back(nullptr);
        images_.emplace_back();
        grown.insert(tree.node(node).parent);
    }
    for (int parent : grown) insert_children(tree, parent);
    for (int node = 1; node <= tree.count(); ++node) {
        const TreeNode& shown = tree.node(node);
        HTREEITEM item = item_of(node);
        const auto at = static_cast<std::size_t>(node - 1);
        if (images_[at] != shown.image) {
            TVITEMW change{};
            change.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            change.hItem = item;
            change.iImage = change.iSelectedImage = tree_image_index(shown.image);
            SendMessageW(control_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
            images_[at] = shown.image;
        }
        const auto state = static_cast<UINT>(SendMessageW(
            control_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED));
        const bool expanded = (state & TVIS_EXPANDED) != 0;
        if (expanded != shown.expanded && (!shown.expanded || !shown.children.empty()))
            SendMessageW(control_, TVM_EXPAND, shown.expanded ? TVE_EXPAND : TVE_COLLAPSE,
                         reinterpret_cast<LPARAM>(item));
    }
    const HTREEITEM selected = item_of(tree.selected());
    const auto current =
        reinterpret_cast<HTREEITEM>(SendMessageW(control_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected != current)
        SendMessageW(control_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    // The model counts the lines it asked to scroll; the control brings the node into sight.
    if (tree.scrolled_lines != scrolled_lines_) {
        scrolled_lines_ = tree.scrolled_lines;
        if (selected != nullptr)
            SendMessageW(control_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected));
    }
}

}  // namespace sorvane
