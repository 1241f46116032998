#include "ui/qt/folder_tree_widget.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <set>

#include "ui/qt/qt_text.h"
#include "ui/qt/tree_icons.h"

namespace sorvane {
namespace {

constexpr int node_role = Qt::UserRole + 1;

}  // namespace

FolderTreeWidget::FolderTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (on_expand) on_expand(node_of(item));
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (on_collapse) on_collapse(node_of(item));
    });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (on_click) on_click(node_of(item));
    });
}

QTreeWidgetItem* FolderTreeWidget::item_of(int node) const {
    if (node < 1 || static_cast<std::size_t>(node) > items_.size()) return nullptr;
    return items_[static_cast<std::size_t>(node - 1)];
}

int FolderTreeWidget::node_of(const QTreeWidgetItem* item) const {
    return item == nullptr ? 0 : item->data(0, node_role).toInt();
}

int FolderTreeWidget::visible_rows() const {
    const int row = qMax(1, sizeHintForRow(0) > 0 ? sizeHintForRow(0) : fontMetrics().height() + 2);
    return qMax(1, viewport()->height() / row);
}

void FolderTreeWidget::attach_children(const FolderTree& tree, int parent) {
    QList<QTreeWidgetItem*> ordered;
    if (parent == 0) {
        while (topLevelItemCount() > 0) takeTopLevelItem(0);
        for (int top : tops_) ordered << item_of(top);
        addTopLevelItems(ordered);
        return;
    }
    QTreeWidgetItem* owner = item_of(parent);
    owner->takeChildren();
    for (int child : tree.node(parent).children) ordered << item_of(child);
    owner->addChildren(ordered);
}

void FolderTreeWidget::sync(const FolderTree& tree) {
    const QSignalBlocker blocker(this);
    if (tree.generation() != generation_) {
        generation_ = tree.generation();
        clear();
        items_.clear();
        images_.clear();
        tops_.clear();
        scrolled_lines_ = 0;
    }
    // Items of the nodes added since the last sync, then hung under their parents.
    std::set<int> grown;
    for (int node = static_cast<int>(items_.size()) + 1; node <= tree.count(); ++node) {
        const TreeNode& added = tree.node(node);
        // Owned by the view once hung under its parent below.
        auto* item = new QTreeWidgetItem(QStringList(to_qt(added.text)));
        item->setData(0, node_role, node);
        items_.push_back(item);
        images_.emplace_back();
        grown.insert(added.parent);
        if (added.parent == 0) tops_.push_back(node);
    }
    for (int parent : grown) attach_children(tree, parent);
    for (int node = 1; node <= tree.count(); ++node) {
        const TreeNode& shown = tree.node(node);
        QTreeWidgetItem* item = item_of(node);
        const auto at = static_cast<std::size_t>(node - 1);
        if (images_[at] != shown.image) {
            item->setIcon(0, tree_icon(to_qt(shown.image), *style()));
            images_[at] = shown.image;
        }
        if (item->isExpanded() != shown.expanded) item->setExpanded(shown.expanded);
    }
    const int selected = tree.selected();
    if (selected != node_of(currentItem())) {
        clearSelection();
        if (QTreeWidgetItem* item = item_of(selected)) {
            setCurrentItem(item);
            item->setSelected(true);
        }
    }
    // The model counts the lines it asked to scroll; the view brings the node into sight.
    if (tree.scrolled_lines != scrolled_lines_) {
        scrolled_lines_ = tree.scrolled_lines;
        if (QTreeWidgetItem* item = item_of(selected)) scrollToItem(item);
    }
}

}  // namespace sorvane
