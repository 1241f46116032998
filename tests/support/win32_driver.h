#pragma once

// Drives the real Win32 window by the messages its controls send when a person
// uses them: a click on a tab, a tree's "+" or a node, a list selection, a button.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "import/raw_file_types.h"
#include "platform/bundled_runtime.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/file_menu.h"
#include "ui/win32/win32_main_window.h"
#include "ui/win32/win32_text.h"

namespace sorvane {

namespace stdfs = std::filesystem;

// A folder of the build machine as Wine shows it (its Z: drive is the Unix root).
inline std::string windows_path(std::string unix_path) {
    if (unix_path.empty() || unix_path[0] != '/') return unix_path;
    for (char& character : unix_path) {
        if (character == '/') character = '\\';
    }
    return "Z:" + unix_path;
}

// A folder given in the environment, else `fallback`: the package check points the
// tests at the unpacked programs and demo.
inline std::string from_environment(const char* name, std::string fallback) {
    const char* given = std::getenv(name);
    return given != nullptr && *given != '\0' ? std::string(given) : fallback;
}

inline std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline std::wstring text_of(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

inline std::wstring item_text(HWND tree, HTREEITEM item) {
    wchar_t buffer[MAX_PATH] = {};
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return buffer;
}

inline std::vector<std::string> list_entries(HWND list) {
    std::vector<std::string> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, at, 0)) + 1,
                          L'\0');
        SendMessageW(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        entries.push_back(from_wide(text));
    }
    return entries;
}

inline bool lower_equal(std::wstring a, std::wstring b) {
    CharLowerW(a.data());
    CharLowerW(b.data());
    return a == b;
}

// The window started as the program starts it, with %APPDATA% pointing at a folder
// that does not exist yet.
struct FirstStart {
    explicit FirstStart(std::string runtime_dir = {})
        : app_data(home.path() + "appdata"),
          results(home.path() + "results\\"),
          demo(from_environment("SORVANE_TEST_DEMO_DIR", windows_path(DEMO_DIR))) {
        _putenv_s("APPDATA", app_data.c_str());
        stdfs::create_directories(results);
        environment.system_dir = default_system_dir();
        environment.bundled_runtime_dir = bundled_runtime_dir(
            files, {"", from_environment("SORVANE_TEST_RUNTIME_DIR", windows_path(runtime_dir))});
        environment.date_text = [](std::int64_t) { return std::string("today"); };
    }
    void start() {
        window = MainWindow{};
        view = std::make_unique<Win32MainWindow>(window, services, environment);
        view->quits_on_close = false;
        view->open_document = [this](const std::string& path) { opened.push_back(path); };
        view->start();
        pump();
    }
    void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    HWND find(const char* name) const {
        HWND control = view->control(name);
        if (control == nullptr) ADD_FAILURE() << "no control " << name;
        return control;
    }
    // What a tree sends its window when a person clicks a node's "+".
    void click_plus(HWND tree, HTREEITEM item) {
        NMTREEVIEWW notice{};
        notice.hdr.hwndFrom = tree;
        notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
        notice.hdr.code = TVN_ITEMEXPANDINGW;
        notice.action = TVE_EXPAND;
        notice.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
        notice.itemNew.hItem = item;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&notice.itemNew));
        SendMessageW(view->handle(), WM_NOTIFY, notice.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&notice));
    }
    // Expands the tree from its drive down to `folder` and clicks it; the control
    // itself tells the window of the new selection.
    bool open_in_tree(const char* tree_name, const std::string& folder) {
        HWND tree = find(tree_name);
        HTREEITEM item = TreeView_GetRoot(tree);
        std::wstringstream parts(to_wide(folder));
        for (std::wstring part; std::getline(parts, part, L'\\');) {
            if (part.empty()) continue;
            if ((TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) == 0)
                click_plus(tree, item);
            HTREEITEM next = nullptr;
            for (HTREEITEM child = TreeView_GetChild(tree, item); child != nullptr;
                 child = TreeView_GetNextSibling(tree, child)) {
                std::wstring text = item_text(tree, child);
                // Drives show as "(C:)".
                if (text.size() > 2 && text.front() == L'(' && text.back() == L')')
                    text = text.substr(1, text.size() - 2);
                if (lower_equal(text, part)) next = child;
            }
            if (next == nullptr) return false;
            item = next;
        }
        TreeView_SelectItem(tree, item);
        return true;
    }
    void choose_tab(int tab) {
        HWND tabs = find("SSTab1");
        TabCtrl_SetCurSel(tabs, tab);
        NMHDR notice{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(view->handle(), WM_NOTIFY, notice.idFrom, reinterpret_cast<LPARAM>(&notice));
    }
    void command(HWND control, WORD code) {
        SendMessageW(view->handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    }
    void choose_type(const char* name) {
        HWND combo = find("Combo1");
        SendMessageW(combo, CB_SETCURSEL, position_of(type_of_name(name)->code), 0);
        command(combo, CBN_SELCHANGE);
    }
    void select_raw_files(const std::vector<std::string>& names) {
        HWND list = find("File1_0");
        const std::vector<std::string> entries = list_entries(list);
        for (std::size_t at = 0; at < entries.size(); ++at) {
            bool wanted = false;
            for (const std::string& name : names) wanted = wanted || name == entries[at];
            SendMessageW(list, LB_SETSEL, wanted, static_cast<LPARAM>(at));
        }
        command(list, LBN_SELCHANGE);
    }
    void click(const char* name) { SendMessageW(find(name), BM_CLICK, 0, 0); }
    std::string status_line() {
        HWND status = find("StatusLine");
        std::wstring text(
            static_cast<std::size_t>(LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, 0, 0))) + 1,
            L'\0');
        SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        return from_wide(text);
    }
    void exit_by_menu() {
        SendMessageW(view->handle(), WM_COMMAND, Win32MainWindow::menu_command(menu_exit), 0);
        pump();
    }

    TempFolder home;
    const std::string app_data;
    const std::string results;
    const std::string demo;
    RealFileSystem files;
    RealProcess process;
    ScriptedUi ui;
    Services services{files, process, ui};
    StartupEnvironment environment;
    MainWindow window;
    std::unique_ptr<Win32MainWindow> view;
    std::vector<std::string> opened;
};

}  // namespace sorvane
