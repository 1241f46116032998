#include "ui/win32/window_class.h"

namespace sorvane {

void register_window_class(const wchar_t* name, WNDPROC procedure, int background, HICON icon) {
    WNDCLASSW kind{};
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(instance, name, &kind)) return;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance;
    kind.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    kind.hIcon = icon;
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    kind.lpszClassName = name;
    RegisterClassW(&kind);
}

}  // namespace sorvane
