#include "ui/qt/file_list_view.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

#include "ui/qt/qt_text.h"

namespace sorvane {

std::optional<std::vector<std::string>> dropped_paths(const QMimeData& data) {
    if (!data.hasUrls()) return std::nullopt;
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        // The window's paths use the platform separator ("\" on Windows).
        if (url.isLocalFile())
            paths.push_back(from_qt(QDir::toNativeSeparators(url.toLocalFile())));
    }
    if (paths.empty()) return std::nullopt;
    return paths;
}

FileListView::FileListView(QWidget* parent) : QListView(parent) {
    setModel(&model_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    // A name too long for the list keeps its end, so "B.res" and "B.html" differ.
    setTextElideMode(Qt::ElideMiddle);
    // Drops arrive at the viewport of an item view.
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (on_open && index.isValid()) on_open(static_cast<std::size_t>(index.row()));
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!on_select) return;
        std::vector<bool> flags(shown_.size(), false);
        for (const QModelIndex& index : selectionModel()->selectedRows()) {
            flags.at(static_cast<std::size_t>(index.row())) = true;
        }
        on_select(flags);
    });
}

void FileListView::sync(const FileListBox& list) {
    const QSignalBlocker blocker(selectionModel());
    if (list.entries != shown_) {
        QStringList names;
        names.reserve(static_cast<qsizetype>(list.entries.size()));
        for (const std::string& name : list.entries) names << to_qt(name);
        model_.setStringList(names);
        shown_ = list.entries;
    }
    // Runs of selected entries as ranges, so a long list is selected in one step.
    QItemSelection selection;
    const int count = static_cast<int>(shown_.size());
    for (int row = 0; row < count;) {
        if (!list.is_selected(static_cast<std::size_t>(row))) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < count && list.is_selected(static_cast<std::size_t>(last + 1))) ++last;
        selection.select(model_.index(row), model_.index(last));
        row = last + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    viewport()->update();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    if (on_drop) on_drop(dropped_paths(*event->mimeData()));
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && on_open && currentIndex().isValid()) {
        on_open(static_cast<std::size_t>(currentIndex().row()));
        return;
    }
    QListView::keyPressEvent(event);
}

}  // namespace sorvane
