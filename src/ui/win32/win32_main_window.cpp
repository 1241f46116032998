#include "ui/win32/win32_main_window.h"

#include <commctrl.h>
// After windows.h and commctrl.h.
#include <shellapi.h>

#include "ui/win32/tree_image_list.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_ui.h"
#include "ui/win32/window_class.h"
#include "ui/window_events.h"

namespace sorvane {
namespace {

constexpr wchar_t form_class[] = L"SorvaneForm1";
constexpr int client_width = 860;
constexpr int client_height = 622;
constexpr int cal_option_tab = 0;
constexpr int io_option_tab = 1;
constexpr int files_tab = 2;

const char* option_name(OptionGroup group) {
    switch (group) {
        case OptionGroup::Option1:
            return "Option1";
        case OptionGroup::Option2:
            return "Option2";
        case OptionGroup::Option3:
            return "Option3";
        case OptionGroup::Option4:
            return "Option4";
        case OptionGroup::Option5:
            return "Option5";
        case OptionGroup::Option6:
            return "Option6";
        case OptionGroup::Option7:
            return "Option7";
        case OptionGroup::Option8:
            return "Option8";
    }
    return "";
}

LRESULT CALLBACK form_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* view = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (view == nullptr || view->handle() == nullptr)
        return DefWindowProcW(hwnd, message, wparam, lparam);
    return view->on_message(message, wparam, lparam);
}

LRESULT CALLBACK list_procedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                UINT_PTR index, DWORD_PTR view) {
    return reinterpret_cast<Win32MainWindow*>(view)->on_list_message(list, static_cast<int>(index),
                                                                     message, wparam, lparam);
}

// A group box draws only its line and caption; it lies on the tab control, which
// does not paint under it, so it fills its own face first.
LRESULT CALLBACK frame_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                 DWORD_PTR) {
    if (message == WM_PAINT) {
        HDC dc = GetDC(box);
        RECT face{};
        GetClientRect(box, &face);
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
        ReleaseDC(box, dc);
    }
    return DefSubclassProc(box, message, wparam, lparam);
}

}  // namespace

void register_window_classes() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    register_window_class(form_class, form_procedure, COLOR_BTNFACE,
                          LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
}

Win32MainWindow::Win32MainWindow(MainWindow& window, Services& services,
                                 StartupEnvironment environment, Win32Ui* ui)
    : window_(window), services_(services), environment_(std::move(environment)), ui_(ui) {
    register_window_classes();
    open_document = [this](const std::string& path) {
        const auto opened = reinterpret_cast<INT_PTR>(
            ShellExecuteW(hwnd_, L"open", to_wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (opened <= 32)
            services_.ui.message_box("Cannot open " + path, application_title, Buttons::ok);
    };
    RECT frame{0, 0, client_width, client_height};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRect(&frame, style, TRUE);
    // The procedure ignores messages until hwnd_ is set, after construction.
    HWND created = CreateWindowExW(0, form_class, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                   frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), this);
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    mark_brush_ = CreateSolidBrush(RGB(255, 191, 0));
    images_ = make_tree_image_list();
    hwnd_ = created;
    named_.emplace("Form1", hwnd_);
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);

    const Form1& form = window_.form;
    tabs_ = add(WC_TABCONTROLW, "", WS_TABSTOP, {6, 6, 848, 550}, "SSTab1");
    for (std::size_t tab = 0; tab < form.SSTab1.captions.size(); ++tab) {
        std::wstring caption = to_wide(form.SSTab1.captions[tab]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(tabs_, TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    build_cal_option_tab();
    build_io_option_tab();
    build_files_tab();
    current_tab_ = -1;  // "GO" is below the tabs
    go_ = add(L"BUTTON", form.Command1.caption, WS_TABSTOP | BS_PUSHBUTTON, {764, 562, 80, 28},
              "Command1");
    commands_[GetDlgCtrlID(go_)] = [this](WORD code) {
        if (code == BN_CLICKED) go();
    };
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    named_.emplace("StatusLine", status_);
    build_menu();
    // Later controls lie on earlier ones (fields on their frames, frames on the tab
    // control): each in turn goes on top, so none hides what it holds.
    for (const Placed& placed : placed_) {
        SetWindowPos(placed.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

Win32MainWindow::~Win32MainWindow() {
    if (summary_ != nullptr && IsWindow(summary_)) DestroyWindow(summary_);
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        quits_on_close = false;
        DestroyWindow(hwnd_);
    }
    if (images_ != nullptr) ImageList_Destroy(images_);
    if (mark_brush_ != nullptr) DeleteObject(mark_brush_);
}

HWND Win32MainWindow::control(std::string_view name) const {
    const auto found = named_.find(name);
    return found == named_.end() ? nullptr : found->second;
}

std::wstring Win32MainWindow::field_mark(HWND field) const {
    const auto found = marks_.find(field);
    return found == marks_.end() ? std::wstring() : found->second;
}

HWND Win32MainWindow::add(const wchar_t* kind, std::string_view text, DWORD style, Place place,
                          std::string name, DWORD extended) {
    const int id = next_id_++;
    HWND control = CreateWindowExW(
        extended, kind, to_wide(text).c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
        place.x, place.y, place.width, place.height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    placed_index_[control] = placed_.size();
    placed_.push_back({control, current_tab_, frame_stack_, true});
    if (!name.empty()) named_.emplace(std::move(name), control);
    return control;
}

HWND Win32MainWindow::begin_frame(Frame& model, const char* name, Place place) {
    HWND box = add(L"BUTTON", model.caption, BS_GROUPBOX, place, name);
    SetWindowSubclass(box, frame_procedure, 0, 0);
    frames_.emplace_back(&model, box);
    frame_stack_.push_back(&model);
    return box;
}

void Win32MainWindow::option_frame(Frame& model, OptionGroup group, const char* name, Place place,
                                   int button_width) {
    begin_frame(model, name, place);
    OptionControls controls{group, {}};
    std::span<OptionButton> buttons = row_of(group).buttons.change(window_.form);
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        const int y = place.y + 18 + static_cast<int>(index) * 22;
        HWND radio = add(L"BUTTON", buttons[index].caption, WS_TABSTOP | BS_RADIOBUTTON,
                         {place.x + 10, y, button_width, 20},
                         std::string(option_name(group)) + "_" + std::to_string(index));
        commands_[GetDlgCtrlID(radio)] = [this, group, index](WORD code) {
            if (code == BN_CLICKED)
                handle([&] { Option_Click(window_, group, static_cast<int>(index)); });
        };
        controls.radios.push_back(radio);
    }
    options_.push_back(std::move(controls));
}

HWND Win32MainWindow::line_field(TextBox& box, const std::string& name, Place place) {
    HWND field = add(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, place, name, WS_EX_CLIENTEDGE);
    commands_[GetDlgCtrlID(field)] = [this, &box, field](WORD code) {
        if (code != EN_CHANGE || syncing_) return;
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        GetWindowTextW(field, text.data(), static_cast<int>(text.size()));
        text.resize(text.size() - 1);
        box.text = from_wide(text);
        show_mark(field, box);
    };
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    line_fields_.emplace_back(&box, field);
    return field;
}

HWND Win32MainWindow::text_area(TextBox& box, const char* name, Place place, DWORD scroll) {
    HWND area = add(L"EDIT", "", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | scroll, place, name,
                    WS_EX_CLIENTEDGE);
    commands_[GetDlgCtrlID(area)] = [this, &box, area](WORD code) {
        if (code != EN_CHANGE || syncing_) return;
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(area)) + 1, L'\0');
        GetWindowTextW(area, text.data(), static_cast<int>(text.size()));
        text.resize(text.size() - 1);
        // The control keeps CR LF line ends, as the field holds them.
        box.text = from_wide(text);
    };
    text_areas_.emplace_back(&box, area);
    return area;
}

void Win32MainWindow::build_cal_option_tab() {
    Form1& form = window_.form;
    current_tab_ = cal_option_tab;
    begin_frame(form.Frame1, "Frame1", {16, 34, 828, 350});
    option_frame(form.Frame2, OptionGroup::Option1, "Frame2", {26, 52, 190, 62}, 170);
    option_frame(form.Frame3, OptionGroup::Option2, "Frame3", {226, 52, 190, 62}, 170);
    option_frame(form.Frame4, OptionGroup::Option3, "Frame4", {426, 52, 190, 62}, 170);
    HWND defaults = add(L"BUTTON", form.Command2.caption, WS_TABSTOP | BS_PUSHBUTTON,
                        {626, 60, 110, 26}, "Command2");
    commands_[GetDlgCtrlID(defaults)] = [this](WORD code) {
        if (code == BN_CLICKED) handle([&] { Command2_Click(window_); });
    };

    begin_frame(form.Frame7, "Frame7", {26, 120, 190, 84});
    line_field(form.Text1, "Text1", {36, 144, 50, 22});
    label("(0.1-10.0) (lin-atan)", {92, 147, 120, 18});
    end_frame();
    begin_frame(form.Frame10, "Frame10", {226, 120, 190, 84});
    line_field(form.Text2, "Text2", {236, 144, 50, 22});
    label("(3.0-8.0) (high- low)", {292, 147, 120, 18});
    end_frame();

    option_frame(form.Frame8, OptionGroup::Option6, "Frame8", {426, 120, 408, 84}, 200);
    label("from", {436, 181, 30, 18});
    line_field(form.Text3[0], "Text3_0", {470, 178, 60, 22});
    label("to", {540, 181, 20, 18});
    line_field(form.Text3[1], "Text3_1", {562, 178, 60, 22});
    label("CH", {630, 181, 30, 18});
    end_frame();

    option_frame(form.Frame9, OptionGroup::Option7, "Frame9", {26, 210, 590, 164}, 570);
    label("CH", {96, 272, 100, 18});
    label("Energy", {216, 272, 100, 18});
    label("FWHM", {336, 272, 100, 18});
    for (std::size_t index = 0; index < 2; ++index) {
        const int y = 292 + static_cast<int>(index) * 30;
        const std::string suffix = "_" + std::to_string(index);
        label(index == 0 ? "low" : "high", {36, y + 3, 50, 18});
        line_field(form.Text4[index], "Text4" + suffix, {96, y, 110, 22});
        line_field(form.Text5[index], "Text5" + suffix, {216, y, 110, 22});
        line_field(form.Text6[index], "Text6" + suffix, {336, y, 110, 22});
    }
    end_frame();

    begin_frame(form.Frame15, "Frame15", {626, 210, 208, 164});
    text_area(form.Text7, "Text7", {636, 230, 188, 134}, WS_VSCROLL | ES_AUTOVSCROLL);
    end_frame();
    end_frame();  // Frame1

    begin_frame(form.Frame18, "Frame18", {16, 390, 828, 160});
    text_area(form.Text8, "Text8", {26, 408, 808, 134},
              WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL);
    end_frame();
}

void Win32MainWindow::build_io_option_tab() {
    Form1& form = window_.form;
    current_tab_ = io_option_tab;
    begin_frame(form.Frame17, "Frame17", {16, 34, 828, 120});
    begin_frame(form.Frame13, "Frame13", {26, 52, 500, 94});
    combo_ = add(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                 {36, 74, 480, 240}, "Combo1");
    commands_[GetDlgCtrlID(combo_)] = [this](WORD code) {
        if (syncing_) return;
        if (code == CBN_SELCHANGE) {
            const auto position = static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
            handle([&] { Combo1_Select(window_, position, services_.fs); });
        } else if (code == CBN_EDITCHANGE) {
            std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(combo_)) + 1, L'\0');
            GetWindowTextW(combo_, text.data(), static_cast<int>(text.size()));
            text.resize(text.size() - 1);
            handle([&] { Combo1_Edit(window_, from_wide(text), services_.fs); });
        }
    };
    end_frame();
    option_frame(form.Frame14, OptionGroup::Option8, "Frame14", {536, 52, 298, 94}, 280);
    end_frame();
    end_frame();  // Frame17

    begin_frame(form.Frame16, "Frame16", {16, 164, 828, 140});
    option_frame(form.Frame6, OptionGroup::Option5, "Frame6", {26, 182, 400, 112}, 380);
    end_frame();
    option_frame(form.Frame5, OptionGroup::Option4, "Frame5", {436, 182, 398, 66}, 380);
    end_frame();
    end_frame();  // Frame16
}

void Win32MainWindow::build_browser(int index, Frame& model, int x) {
    const auto at = static_cast<std::size_t>(index);
    const std::string suffix = "_" + std::to_string(index);
    begin_frame(model, index == 0 ? "Frame11" : "Frame12", {x, 34, 412, 514});
    line_field(window_.form.Text9.at(at), "Text9" + suffix, {x + 10, 54, 392, 22});
    HWND tree =
        add(WC_TREEVIEWW, "",
            WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
            {x + 10, 82, 194, 456}, "TreeView1" + suffix, WS_EX_CLIENTEDGE);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    trees_[at] = std::make_unique<FolderTreeView>(tree);
    lists_[at] = add(
        L"LISTBOX", "",
        WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        {x + 208, 82, 194, 456}, "File1" + suffix, WS_EX_CLIENTEDGE);
    DragAcceptFiles(lists_[at], TRUE);
    SetWindowSubclass(lists_[at], list_procedure, at, reinterpret_cast<DWORD_PTR>(this));
    commands_[GetDlgCtrlID(lists_[at])] = [this, index, at](WORD code) {
        if (syncing_) return;
        if (code == LBN_SELCHANGE) {
            const auto count =
                static_cast<std::size_t>(SendMessageW(lists_[at], LB_GETCOUNT, 0, 0));
            std::vector<bool> flags(count, false);
            for (std::size_t entry = 0; entry < count; ++entry)
                flags[entry] = SendMessageW(lists_[at], LB_GETSEL, entry, 0) > 0;
            File1_Select(window_, index, flags);
        } else if (code == LBN_DBLCLK && index == 1) {
            const auto entry = SendMessageW(lists_[at], LB_GETCARETINDEX, 0, 0);
            if (entry >= 0) open_result_entry(static_cast<std::size_t>(entry));
        }
    };
    end_frame();
}

void Win32MainWindow::build_files_tab() {
    current_tab_ = files_tab;
    build_browser(0, window_.form.Frame11, 16);
    build_browser(1, window_.form.Frame12, 432);
}

void Win32MainWindow::build_menu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    for (const MenuItem& item : window_.form.f11) {
        if (item.caption == "-") {
            AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuW(file, MF_STRING, static_cast<UINT_PTR>(menu_command(item.index)),
                    to_wide(item.caption).c_str());
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    SetMenu(hwnd_, bar);
}

}  // namespace sorvane
