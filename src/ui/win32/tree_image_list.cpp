#include "ui/win32/tree_image_list.h"

#include <array>

#include "browser/tree_images.h"

namespace sorvane {
namespace {

enum class Shape { open_folder, closed_folder, drive, disc, floppy, bin, desk, computer };

struct TreePicture {
    std::string_view key;
    Shape shape;
    COLORREF fill;
};

// How each key of the image list is drawn.
constexpr std::array<TreePicture, 10> tree_pictures = {{
    {image_open, Shape::open_folder, RGB(255, 214, 92)},
    {image_close, Shape::closed_folder, RGB(230, 180, 60)},
    {image_drive, Shape::drive, RGB(170, 170, 170)},
    {"CD", Shape::disc, RGB(200, 200, 230)},
    {"FD", Shape::floppy, RGB(60, 60, 140)},
    {"525FD", Shape::floppy, RGB(90, 90, 90)},
    {"Rec", Shape::bin, RGB(150, 190, 150)},
    {"Desk", Shape::desk, RGB(0, 128, 128)},
    {image_my_computer, Shape::computer, RGB(80, 130, 200)},
    {"net drive", Shape::drive, RGB(120, 170, 120)},
}};

void draw_picture(HDC dc, const TreePicture& picture) {
    HBRUSH fill = CreateSolidBrush(picture.fill);
    HGDIOBJ old_brush = SelectObject(dc, fill);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    switch (picture.shape) {
        case Shape::open_folder: {
            const std::array<POINT, 6> outline = {
                {{1, 4}, {6, 4}, {7, 5}, {14, 5}, {11, 13}, {1, 13}}};
            Polygon(dc, outline.data(), static_cast<int>(outline.size()));
            break;
        }
        case Shape::closed_folder:
            Rectangle(dc, 1, 3, 7, 6);
            Rectangle(dc, 1, 5, 15, 14);
            break;
        case Shape::drive:
            Rectangle(dc, 1, 5, 15, 12);
            SetPixel(dc, 12, 9, RGB(0, 200, 0));
            break;
        case Shape::disc:
            Ellipse(dc, 1, 1, 15, 15);
            Ellipse(dc, 6, 6, 10, 10);
            break;
        case Shape::floppy:
            Rectangle(dc, 2, 1, 14, 15);
            break;
        case Shape::bin:
            Rectangle(dc, 3, 3, 13, 15);
            break;
        case Shape::desk:
            Rectangle(dc, 1, 2, 15, 12);
            break;
        case Shape::computer:
            Rectangle(dc, 2, 1, 14, 10);
            Rectangle(dc, 0, 11, 16, 15);
            break;
    }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(fill);
}

}  // namespace

int tree_image_index(std::string_view key) {
    for (std::size_t at = 0; at < tree_image_keys.size(); ++at) {
        if (tree_image_keys[at] == key) return static_cast<int>(at);
    }
    return -1;
}

HIMAGELIST make_tree_image_list() {
    constexpr int size = 16;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK,
                                       static_cast<int>(tree_image_keys.size()), 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    constexpr COLORREF transparent = RGB(255, 0, 255);
    for (std::string_view key : tree_image_keys) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        HGDIOBJ old = SelectObject(dc, bitmap);
        HBRUSH background = CreateSolidBrush(transparent);
        const RECT all{0, 0, size, size};
        FillRect(dc, &all, background);
        DeleteObject(background);
        for (const TreePicture& picture : tree_pictures) {
            if (picture.key == key) draw_picture(dc, picture);
        }
        SelectObject(dc, old);
        ImageList_AddMasked(list, bitmap, transparent);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

}  // namespace sorvane
