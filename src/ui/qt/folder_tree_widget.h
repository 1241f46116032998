#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "browser/folder_tree.h"

namespace sorvane {

// A tree view that mirrors a FolderTree: nodes are only ever added, so each sync
// creates the items of new nodes and updates images, expansion and selection.
class FolderTreeWidget final : public QTreeWidget {
public:
    explicit FolderTreeWidget(QWidget* parent = nullptr);

    // Called with the node index of a user's expand, collapse or click.
    std::function<void(int)> on_expand;
    std::function<void(int)> on_collapse;
    std::function<void(int)> on_click;

    // Copies the tree in, signals blocked.
    void sync(const FolderTree& tree);
    // The rows the view shows at once.
    int visible_rows() const;
    QTreeWidgetItem* item_of(int node) const;
    int node_of(const QTreeWidgetItem* item) const;

private:
    void attach_children(const FolderTree& tree, int parent);

    std::vector<QTreeWidgetItem*> items_;  // by node index - 1
    std::vector<std::string> images_;      // the image each item shows
    std::vector<int> tops_;
    int scrolled_lines_ = 0;
    int generation_ = -1;
};

}  // namespace sorvane
