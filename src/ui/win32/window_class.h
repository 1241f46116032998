#pragma once

#include <windows.h>

namespace sorvane {

// Registers a window class of this program once (a second call finds it and does
// nothing): the arrow cursor, the system colour `background` (COLOR_BTNFACE for a
// dialog-like window, COLOR_WINDOW for a list) and the given icon, or none.
void register_window_class(const wchar_t* name, WNDPROC procedure, int background,
                           HICON icon = nullptr);

}  // namespace sorvane
