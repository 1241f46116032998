#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
// After windows.h and commctrl.h.
#include <shellapi.h>

#include "platform/file_system.h"
#include "ui/file_menu.h"
#include "ui/result_entry.h"
#include "ui/win32/result_document.h"
#include "ui/win32/win32_main_window.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_ui.h"
#include "ui/win32/window_class.h"
#include "ui/window_events.h"

namespace sorvane {
namespace {

constexpr UINT_PTR run_watch_timer = 1;
constexpr UINT run_watch_interval_ms = 250;
constexpr int summary_menu_command = 1;
constexpr wchar_t summary_class[] = L"SorvaneRunSummary";

LRESULT CALLBACK summary_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SIZE) {
        HWND list = GetWindow(window, GW_CHILD);
        if (list != nullptr) MoveWindow(list, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void Win32MainWindow::report_view_sizes() {
    for (std::size_t index = 0; index < trees_.size(); ++index)
        window_.browsers.TreeView1[index].visible_rows = trees_[index]->visible_rows();
}

void Win32MainWindow::start() {
    report_view_sizes();
    Form_Load(window_, services_.fs, environment_);
    restore_set_aside_results(window_, services_.fs);
    if (window_.placement) {
        SetWindowPos(hwnd_, nullptr, window_.placement->left, window_.placement->top,
                     window_.placement->width, window_.placement->height, SWP_NOZORDER);
    }
    if (window_.shown) ShowWindow(hwnd_, SW_SHOW);
    sync();
}

void Win32MainWindow::go() {
    std::optional<BatchReport> report;
    handle([&] { report = Command1_Click(window_, services_); });
    if (report) show_summary(waited_run_names(window_.form, *report), this_run_of(*report));
    if (!window_.watched_runs.empty())
        SetTimer(hwnd_, run_watch_timer, run_watch_interval_ms, nullptr);
}

void Win32MainWindow::look_at_watched_runs() {
    std::optional<EndedRun> ended;
    handle([&] { ended = look_at_runs(window_, services_); });
    if (ended) show_summary(ended->names, ended->this_run);
    if (window_.watched_runs.empty()) KillTimer(hwnd_, run_watch_timer);
}

void Win32MainWindow::open_result_entry(std::size_t entry) {
    const auto path = result_entry_path(window_.form.File1[1], entry, services_.fs.separator());
    if (path && open_document) open_document(result_document_of(*path, services_.fs));
}

void Win32MainWindow::show_summary(const std::vector<std::string>& names,
                                   const std::optional<ThisRun>& this_run) {
    if (names.empty()) return;
    std::string folder = window_.form.File1[1].folder;
    if (!folder.empty() && folder.back() != services_.fs.separator())
        folder += services_.fs.separator();
    const std::vector<std::string> lines =
        summary_lines(summarise_run(services_.fs, folder, names, this_run));
    register_window_class(summary_class, summary_procedure, COLOR_WINDOW);
    if (summary_ != nullptr && IsWindow(summary_)) DestroyWindow(summary_);
    summary_ = CreateWindowExW(0, summary_class, L"Run summary", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 720, 320, hwnd_, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    RECT inside{};
    GetClientRect(summary_, &inside);
    summary_list_ = CreateWindowExW(
        0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT,
        0, 0, inside.right, inside.bottom, summary_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(summary_list_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
    for (const std::string& line : lines)
        SendMessageW(summary_list_, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(to_wide(line).c_str()));
    SendMessageW(summary_list_, LB_SETHORIZONTALEXTENT, 1600, 0);
    ShowWindow(summary_, SW_SHOW);
}

void Win32MainWindow::drop_files(int index, HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT at = 0; at < count; ++at) {
        std::wstring path(DragQueryFileW(drop, at, nullptr, 0) + 1, L'\0');
        DragQueryFileW(drop, at, path.data(), static_cast<UINT>(path.size()));
        path.resize(path.size() - 1);
        paths.push_back(from_wide(path));
    }
    DragFinish(drop);
    std::optional<std::vector<std::string>> dropped;
    if (!paths.empty()) dropped = std::move(paths);
    handle([&] {
        report_view_sizes();
        File1_OLEDragDrop(window_, index, dropped, services_.fs);
    });
}

LRESULT Win32MainWindow::on_list_message(HWND list, int index, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
    switch (message) {
        case WM_DROPFILES:
            drop_files(index, reinterpret_cast<HDROP>(wparam));
            return 0;
        case WM_GETDLGCODE: {
            // Enter on the result list opens the entry instead of pressing a default button.
            const auto* pending = reinterpret_cast<const MSG*>(lparam);
            if (index == 1 && pending != nullptr && pending->message == WM_KEYDOWN &&
                pending->wParam == VK_RETURN)
                return DLGC_WANTMESSAGE;
            break;
        }
        case WM_KEYDOWN:
            if (wparam == VK_RETURN && index == 1) {
                const auto entry = SendMessageW(list, LB_GETCARETINDEX, 0, 0);
                if (entry >= 0) open_result_entry(static_cast<std::size_t>(entry));
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            if (index == 1) {
                HMENU menu = CreatePopupMenu();
                AppendMenuW(menu, MF_STRING, summary_menu_command, L"Run summary...");
                POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
                const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y,
                                                   0, hwnd_, nullptr);
                DestroyMenu(menu);
                if (chosen == summary_menu_command)
                    show_summary(summary_names(window_.form.File1[1]));
                return 0;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wparam, lparam);
}

LRESULT Win32MainWindow::on_notify(const NMHDR& header) {
    if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE) {
        const auto tab = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
        handle([&] { SSTab1_Click(window_, tab); });
        return 0;
    }
    for (std::size_t at = 0; at < trees_.size(); ++at) {
        if (header.hwndFrom != trees_[at]->control() || syncing_) continue;
        const int index = static_cast<int>(at);
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        const int node = FolderTreeView::node_of_item(change.itemNew);
        if (header.code == TVN_ITEMEXPANDINGW) {
            if (change.action & TVE_EXPAND) {
                handle([&] { TreeView1_Expand(window_, index, node, services_.fs); });
            } else {
                handle([&] { TreeView1_Collapse(window_, index, node); });
            }
            // sync() has already shown the model's state.
            return TRUE;
        }
        if (header.code == TVN_SELCHANGEDW && node != 0) {
            handle([&] { TreeView1_NodeClick(window_, index, node, services_); });
            return 0;
        }
    }
    return 0;
}

void Win32MainWindow::on_command(int id, WORD code) {
    if (id >= menu_base && id < menu_base + 1000) {
        handle([&] { f11_Click(window_, id - menu_base, services_); });
        if (window_.closed) DestroyWindow(hwnd_);
        return;
    }
    const auto found = commands_.find(id);
    if (found != commands_.end()) found->second(code);
}

LRESULT Win32MainWindow::on_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            on_command(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_NOTIFY:
            return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
        case WM_TIMER:
            if (wparam == run_watch_timer) look_at_watched_runs();
            return 0;
        case WM_SIZE:
            SendMessageW(status_, WM_SIZE, 0, 0);
            return 0;
        case WM_CTLCOLOREDIT: {
            const auto field = reinterpret_cast<HWND>(lparam);
            if (!field_mark(field).empty()) {
                SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 191, 0));
                return reinterpret_cast<LRESULT>(mark_brush_);
            }
            break;
        }
        case WM_SETCURSOR:
            if (ui_ != nullptr && ui_->waiting()) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            // Closing by the frame saves nothing; only Exit writes the run file.
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, run_watch_timer);
            if (quits_on_close) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace sorvane
