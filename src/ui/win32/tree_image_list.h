#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string_view>

namespace sorvane {

// The trees' image list, one 16x16 picture per key of tree_image_keys in its order,
// drawn with GDI so the window needs no resource file.
HIMAGELIST make_tree_image_list();
// The list position of an image key; -1 for an unknown one.
int tree_image_index(std::string_view key);

}  // namespace sorvane
