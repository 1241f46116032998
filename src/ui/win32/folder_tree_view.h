#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <vector>

#include "browser/folder_tree.h"

namespace sorvane {

// A tree-view control showing a FolderTree: sync() adds the nodes added since the
// last one, in their display order, and copies images, expansion, the selection
// and the asked-for scrolling. Each item carries its node number.
class FolderTreeView {
public:
    explicit FolderTreeView(HWND control) : control_(control) {}

    HWND control() const { return control_; }
    void sync(const FolderTree& tree);
    // The node of a tree item; 0 for none.
    static int node_of_item(const TVITEMW& item) { return static_cast<int>(item.lParam); }
    HTREEITEM item_of(int node) const;
    int visible_rows() const;

private:
    void insert_children(const FolderTree& tree, int parent);

    HWND control_;
    int generation_ = -1;
    int scrolled_lines_ = 0;
    std::vector<HTREEITEM> items_;  // by node - 1
    std::vector<std::string> images_;
};

}  // namespace sorvane
