#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>

#include "ui/win32/win32_main_window.h"
#include "ui/win32/win32_text.h"

namespace sorvane {
namespace {

std::wstring text_of(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

void set_text(HWND control, std::string_view text) {
    const std::wstring wanted = to_wide(text);
    if (text_of(control) != wanted) SetWindowTextW(control, wanted.c_str());
}

void set_enabled(HWND control, bool enabled) {
    if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

}  // namespace

void Win32MainWindow::show_mark(HWND field, const TextBox& box) {
    const std::wstring note = to_wide(box.mark());
    if (field_mark(field) == note) return;
    marks_[field] = note;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = const_cast<wchar_t*>(marks_[field].c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    InvalidateRect(field, nullptr, TRUE);
}

void Win32MainWindow::sync_list(int index) {
    const auto at = static_cast<std::size_t>(index);
    const FileListBox& list = window_.form.File1[at];
    HWND control = lists_[at];
    if (list.entries != shown_entries_[at]) {
        SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        SendMessageW(control, LB_RESETCONTENT, 0, 0);
        for (const std::string& name : list.entries)
            SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(to_wide(name).c_str()));
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, TRUE);
        shown_entries_[at] = list.entries;
    }
    for (std::size_t entry = 0; entry < list.count(); ++entry) {
        const bool shown = SendMessageW(control, LB_GETSEL, entry, 0) > 0;
        if (shown != list.is_selected(entry))
            SendMessageW(control, LB_SETSEL, list.is_selected(entry) ? TRUE : FALSE,
                         static_cast<LPARAM>(entry));
    }
    set_enabled(control, list.enabled);
}

void Win32MainWindow::sync_combo() {
    const ComboBox& model = window_.form.Combo1;
    if (model.entries != shown_types_) {
        SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        for (const std::string& entry : model.entries)
            SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(to_wide(entry).c_str()));
        shown_types_ = model.entries;
    }
    if (SendMessageW(combo_, CB_GETCURSEL, 0, 0) != model.selection)
        SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(model.selection), 0);
    set_text(combo_, model.text);
}

void Win32MainWindow::sync_visibility() {
    const int tab = window_.form.SSTab1.tab;
    for (const Placed& placed : placed_) {
        bool visible = placed.own_visible && (placed.tab < 0 || placed.tab == tab);
        for (const Frame* frame : placed.frames) visible = visible && frame->visible;
        if ((IsWindowVisible(placed.hwnd) != FALSE) != visible)
            ShowWindow(placed.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void Win32MainWindow::sync() {
    syncing_ = true;
    const Form1& form = window_.form;
    set_text(hwnd_, window_.caption);
    for (auto& [model, box] : frames_) {
        set_text(box, model->caption);
        placed_[placed_index_.at(box)].own_visible = model->visible;
    }
    for (const OptionControls& controls : options_) {
        std::span<const OptionButton> buttons = row_of(controls.group).buttons.read(form);
        for (std::size_t index = 0; index < controls.radios.size(); ++index) {
            HWND radio = controls.radios[index];
            SendMessageW(radio, BM_SETCHECK, buttons[index].selected ? BST_CHECKED : BST_UNCHECKED,
                         0);
            set_enabled(radio, buttons[index].enabled);
            placed_[placed_index_.at(radio)].own_visible = buttons[index].visible;
        }
    }
    for (auto& [box, field] : line_fields_) {
        if (box->max_length > 0) SendMessageW(field, EM_SETLIMITTEXT, box->max_length, 0);
        set_text(field, box->text);
        set_enabled(field, box->enabled);
        placed_[placed_index_.at(field)].own_visible = box->visible;
        show_mark(field, *box);
    }
    for (auto& [box, area] : text_areas_) {
        if (box->max_length > 0) SendMessageW(area, EM_SETLIMITTEXT, box->max_length, 0);
        set_text(area, box->text);
        set_enabled(area, box->enabled);
    }
    sync_combo();
    for (std::size_t index = 0; index < trees_.size(); ++index) {
        trees_[index]->sync(window_.browsers.TreeView1[index]);
        sync_list(static_cast<int>(index));
    }
    if (SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != form.SSTab1.tab)
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(form.SSTab1.tab), 0);
    sync_visibility();
    set_enabled(go_, form.Command1.enabled);
    const std::wstring status = to_wide(window_.status_line);
    if (text_of(status_) != status)
        SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
    syncing_ = false;
    apply_focus();
}

void Win32MainWindow::apply_focus() {
    if (window_.focus == Focus::none) return;
    if (window_.focus == Focus::TreeView1_0) {
        SetFocus(trees_[0]->control());
    } else {
        SetActiveWindow(hwnd_);
        SetFocus(hwnd_);
    }
    // A request is carried out once; later events keep the user's focus.
    window_.focus = Focus::none;
}

}  // namespace sorvane
