#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "form/option_groups.h"
#include "results/run_summary.h"
#include "ui/main_window.h"
#include "ui/startup.h"
#include "ui/win32/folder_tree_view.h"

namespace sorvane {

class Win32Ui;

// A control's place on the window's client area, in pixels.
struct Place {
    int x, y, width, height;
};

// The main window as Win32 controls. It holds no behaviour: every control event
// runs a handler on the form model, then sync() copies the model back into the
// controls. Controls carry the names of the form (Command1, TreeView1_0, ...),
// found with control().
class Win32MainWindow {
public:
    Win32MainWindow(MainWindow& window, Services& services, StartupEnvironment environment,
                    Win32Ui* ui = nullptr);
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // Start-up: fills the model, copies it in, places and shows the window.
    void start();
    // Copies the form model into the controls.
    void sync();

    HWND handle() const { return hwnd_; }
    MainWindow& model() { return window_; }
    // The control of that name; nullptr when there is none.
    HWND control(std::string_view name) const;
    // The mark a field shows beside its text ("used as 2"); empty when none.
    std::wstring field_mark(HWND field) const;
    // The last run summary opened, nullptr before the first; its list is "run_summary".
    HWND summary_window() const { return summary_; }
    HWND summary_list() const { return summary_list_; }
    // The menu command of a File menu item.
    static int menu_command(int index) { return menu_base + index; }

    // Opens a result document in the shell; tests put a recorder here.
    std::function<void(const std::string&)> open_document;
    // Whether closing the window ends the program's message loop.
    bool quits_on_close = true;

    // The window procedure's work; public for the class's static procedure.
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_list_message(HWND list, int index, UINT message, WPARAM wparam, LPARAM lparam);

private:
    static constexpr int menu_base = 40000;

    struct Placed {
        HWND hwnd;
        int tab;                           // -1: on every tab
        std::vector<const Frame*> frames;  // the frames around it, outermost first
        bool own_visible = true;
    };
    struct OptionControls {
        OptionGroup group;
        std::vector<HWND> radios;
    };

    void build_cal_option_tab();
    void build_io_option_tab();
    void build_files_tab();
    void build_browser(int index, Frame& frame, int x);
    void build_menu();

    HWND add(const wchar_t* kind, std::string_view text, DWORD style, Place place,
             std::string name = {}, DWORD extended = 0);
    void label(const char* text, Place place) { add(L"STATIC", text, SS_LEFT, place); }
    HWND begin_frame(Frame& model, const char* name, Place place);
    void end_frame() { frame_stack_.pop_back(); }
    void option_frame(Frame& model, OptionGroup group, const char* name, Place place,
                      int button_width);
    HWND line_field(TextBox& box, const std::string& name, Place place);
    HWND text_area(TextBox& box, const char* name, Place place, DWORD scroll);
    void on_command(int id, WORD code);

    // Runs a handler and shows what it changed.
    template <typename Handler>
    void handle(Handler handler) {
        handler();
        sync();
    }
    LRESULT on_notify(const NMHDR& header);
    void go();
    void look_at_watched_runs();
    void report_view_sizes();
    void open_result_entry(std::size_t entry);
    void show_summary(const std::vector<std::string>& names,
                      const std::optional<ThisRun>& this_run = std::nullopt);
    void drop_files(int index, HDROP drop);
    void sync_visibility();
    void sync_list(int index);
    void sync_combo();
    void show_mark(HWND field, const TextBox& box);
    void apply_focus();

    MainWindow& window_;
    Services& services_;
    StartupEnvironment environment_;
    Win32Ui* ui_;
    HWND hwnd_ = nullptr;
    HWND tabs_ = nullptr;
    HWND go_ = nullptr;
    HWND status_ = nullptr;
    HWND combo_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND summary_ = nullptr;
    HWND summary_list_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH mark_brush_ = nullptr;
    HIMAGELIST images_ = nullptr;
    bool syncing_ = false;
    int current_tab_ = -1;  // the tab of the controls being built; -1: all
    int next_id_ = 1000;
    std::vector<const Frame*> frame_stack_;
    std::vector<Placed> placed_;
    std::unordered_map<HWND, std::size_t> placed_index_;
    std::map<std::string, HWND, std::less<>> named_;
    std::map<int, std::function<void(WORD)>> commands_;
    std::vector<std::pair<Frame*, HWND>> frames_;
    std::vector<OptionControls> options_;
    std::vector<std::pair<TextBox*, HWND>> line_fields_;
    std::vector<std::pair<TextBox*, HWND>> text_areas_;
    std::unordered_map<HWND, std::wstring> marks_;
    std::array<std::unique_ptr<FolderTreeView>, 2> trees_;
    std::array<HWND, 2> lists_{};
    std::array<std::vector<std::string>, 2> shown_entries_;
    std::vector<std::string> shown_types_;
};

// Registers the window classes once per program.
void register_window_classes();

}  // namespace sorvane
