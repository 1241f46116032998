#include "ui/win32/prompt_box.h"

// After windows.h, which it needs.
#include <commdlg.h>

#include <array>

#include "ui/win32/window_class.h"

namespace sorvane {
namespace {

constexpr int id_answer = 101;
constexpr int id_browse = 102;
constexpr wchar_t prompt_class[] = L"SorvanePromptBox";

struct PromptState {
    const PromptRequest* request = nullptr;
    HWND answer = nullptr;
    bool done = false;
    std::optional<std::wstring> result;
};

std::wstring text_of(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

// The runtime program's folder, ending in the separator; nothing when cancelled.
std::optional<std::wstring> pick_runtime_folder(HWND owner, const std::wstring& folder) {
    std::array<wchar_t, MAX_PATH * 4> chosen{};
    static constexpr wchar_t filter[] = L"run_Tovalu.exe\0run_Tovalu.exe\0*\0*.*\0";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    std::wstring path(chosen.data());
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(0, cut + 1);
}

HWND add_control(HWND box, const wchar_t* kind, const std::wstring& text, DWORD style, RECT at,
                 int id) {
    HWND control =
        CreateWindowExW(0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                        at.right - at.left, at.bottom - at.top, box,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    return control;
}

LRESULT CALLBACK prompt_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
            SetWindowLongPtrW(box, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_COMMAND:
            if (state == nullptr) break;
            switch (LOWORD(wparam)) {
                case IDOK:
                    state->result = text_of(state->answer);
                    state->done = true;
                    return 0;
                case IDCANCEL:
                    state->done = true;
                    return 0;
                case id_browse:
                    if (auto folder = pick_runtime_folder(box, state->request->browse_folder))
                        SetWindowTextW(state->answer, folder->c_str());
                    return 0;
                default:
                    break;
            }
            break;
        case WM_CLOSE:
            if (state != nullptr) state->done = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(box, message, wparam, lparam);
}

}  // namespace

std::optional<std::wstring> run_prompt_box(HWND owner, const PromptRequest& request) {
    register_window_class(prompt_class, prompt_procedure, COLOR_BTNFACE);
    PromptState state;
    state.request = &request;
    constexpr int width = 440;
    constexpr int height = 200;
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, prompt_class, request.title.c_str(),
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                               width, height, owner, nullptr, GetModuleHandleW(nullptr), &state);
    if (box == nullptr) return std::nullopt;
    add_control(box, L"STATIC", request.prompt, SS_LEFT, {12, 10, 420, 80}, -1);
    const int answer_right = request.browse ? 320 : 420;
    state.answer =
        add_control(box, L"EDIT", request.initial, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                    {12, 88, answer_right, 110}, id_answer);
    if (request.browse)
        add_control(box, L"BUTTON", L"Browse...", WS_TABSTOP | BS_PUSHBUTTON, {328, 87, 420, 111},
                    id_browse);
    add_control(box, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {250, 124, 330, 150}, IDOK);
    add_control(box, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, {340, 124, 420, 150},
                IDCANCEL);
    if (owner != nullptr) EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOW);
    SetFocus(state.answer);
    MSG message;
    while (!state.done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the quit message is for the main loop.
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (IsDialogMessageW(box, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (owner != nullptr) EnableWindow(owner, TRUE);
    DestroyWindow(box);
    if (owner != nullptr) SetActiveWindow(owner);
    return state.result;
}

}  // namespace sorvane
