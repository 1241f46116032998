#pragma once

#include <QListView>
#include <QStringListModel>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/file_list.h"

namespace sorvane {

// A file list: the names of one folder, several selectable at once, that also
// takes files dropped from the desktop.
class FileListView final : public QListView {
public:
    explicit FileListView(QWidget* parent = nullptr);

    // The user changed the selection: one flag per entry.
    std::function<void(const std::vector<bool>&)> on_select;
    // Something was dropped: the local file paths, or nothing when the data held none.
    std::function<void(const std::optional<std::vector<std::string>>&)> on_drop;

    // An entry was double-clicked or Enter pressed on it: its position in the list.
    std::function<void(std::size_t)> on_open;

    // Copies the list in, signals blocked.
    void sync(const FileListBox& list);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringListModel model_;
    std::vector<std::string> shown_;
};

// The local file paths of dropped data; nothing when it holds no file list.
std::optional<std::vector<std::string>> dropped_paths(const class QMimeData& data);

}  // namespace sorvane
