#include "ui/win32/win32_ui.h"

// After windows.h, which it needs.
#include <commdlg.h>

#include <array>

#include "ui/win32/prompt_box.h"
#include "ui/win32/win32_text.h"

namespace sorvane {
namespace {

UINT message_box_buttons(Buttons buttons) {
    switch (buttons) {
        case Buttons::ok_cancel:
            return MB_OKCANCEL;
        case Buttons::yes_no:
            return MB_YESNO;
        case Buttons::ok:
            break;
    }
    return MB_OK;
}

// The folder and the offered file name of a save dialog's starting point.
struct StartingPoint {
    std::wstring folder;
    std::wstring name;
};

StartingPoint starting_point(std::string_view initial, bool may_name_file) {
    std::wstring path = to_wide(initial);
    if (!may_name_file) return {path, {}};
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {{}, path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::optional<std::string> file_dialog(HWND owner, std::string_view filter,
                                       std::string_view initial, bool save) {
    const std::wstring filters = dialog_filter(filter);
    const StartingPoint start = starting_point(initial, save);
    std::array<wchar_t, MAX_PATH * 4> chosen{};
    start.name.copy(chosen.data(), std::min(start.name.size(), chosen.size() - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
    // No default extension: the name is taken as typed. The current folder stays.
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    const BOOL picked = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!picked) return std::nullopt;
    return from_wide(chosen.data());
}

}  // namespace

std::wstring dialog_filter(std::string_view filter) {
    std::wstring filters = to_wide(filter);
    for (wchar_t& character : filters) {
        if (character == L'|') character = L'\0';
    }
    filters.push_back(L'\0');
    filters.push_back(L'\0');
    return filters;
}

Answer Win32Ui::message_box(std::string_view text, std::string_view title, Buttons buttons) {
    const int pressed = MessageBoxW(parent_, to_wide(text).c_str(), to_wide(title).c_str(),
                                    message_box_buttons(buttons));
    switch (pressed) {
        case IDCANCEL:
            return Answer::cancel;
        case IDYES:
            return Answer::yes;
        case IDNO:
            return Answer::no;
        default:
            return Answer::ok;
    }
}

std::optional<std::string> Win32Ui::input_box(std::string_view prompt, std::string_view title,
                                              std::string_view initial) {
    const auto answer =
        run_prompt_box(parent_, {to_wide(prompt), to_wide(title), to_wide(initial), false, {}});
    if (!answer) return std::nullopt;
    return from_wide(*answer);
}

std::optional<std::string> Win32Ui::run_time_box(std::string_view prompt, std::string_view title,
                                                 std::string_view runtime_folder) {
    const auto answer = run_prompt_box(
        parent_, {to_wide(prompt), to_wide(title), {}, true, to_wide(runtime_folder)});
    if (!answer) return std::nullopt;
    return from_wide(*answer);
}

std::optional<std::string> Win32Ui::open_file_dialog(std::string_view filter,
                                                     std::string_view initial_folder) {
    return file_dialog(parent_, filter, initial_folder, false);
}

std::optional<std::string> Win32Ui::save_file_dialog(std::string_view filter,
                                                     std::string_view initial_folder) {
    return file_dialog(parent_, filter, initial_folder, true);
}

void Win32Ui::set_pointer(Pointer pointer) {
    waiting_ = pointer == Pointer::hourglass;
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(waiting_ ? IDC_WAIT : IDC_ARROW)));
}

bool Win32Ui::show_progress(std::string_view text, int done, int total) {
    (void)done;
    (void)total;
    if (parent_ != nullptr) SetWindowTextW(parent_, to_wide(text).c_str());
    // Keeps the window painted during the long task.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&message);
    return true;
}

void Win32Ui::end_progress() {}

}  // namespace sorvane
