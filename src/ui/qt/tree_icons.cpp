#include "ui/qt/tree_icons.h"

#include <QStyle>
#include <array>
#include <string_view>

#include "browser/tree_images.h"

namespace sorvane {
namespace {

struct TreeIconRow {
    std::string_view key;
    QStyle::StandardPixmap pixmap;
};

// The image list of the trees drawn with the style's standard icons.
constexpr std::array<TreeIconRow, 10> tree_icon_rows = {{
    {image_open, QStyle::SP_DirOpenIcon},
    {image_close, QStyle::SP_DirClosedIcon},
    {image_drive, QStyle::SP_DriveHDIcon},
    {"CD", QStyle::SP_DriveCDIcon},
    {"FD", QStyle::SP_DriveFDIcon},
    {"525FD", QStyle::SP_DriveFDIcon},
    {"Rec", QStyle::SP_TrashIcon},
    {"Desk", QStyle::SP_DesktopIcon},
    {image_my_computer, QStyle::SP_ComputerIcon},
    {"net drive", QStyle::SP_DriveNetIcon},
}};

}  // namespace

QIcon tree_icon(const QString& key, const QStyle& style) {
    const QByteArray bytes = key.toUtf8();
    const std::string_view wanted(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    for (const TreeIconRow& row : tree_icon_rows) {
        if (row.key == wanted) return style.standardIcon(row.pixmap);
    }
    return {};
}

}  // namespace sorvane
