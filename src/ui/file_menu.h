#pragma once

#include <string>
#include <string_view>

#include "ui/main_window.h"

namespace sorvane {

// The File menu's items by their index.
inline constexpr int menu_read_parm = 160;
inline constexpr int menu_save_parm = 180;
inline constexpr int menu_run_time = 200;
inline constexpr int menu_exit = 300;

inline constexpr std::string_view option_set_filter = "option parm file(*.opa)|*.opa";
inline constexpr std::string_view run_time_prompt =
    "Input fullpath of runtime(run_Sorvane.exe)\r\n\r\n          (ex. c:\\Lindorva\\ )";
inline constexpr std::string_view run_time_title = "Sorvane SETUP";

// The folder to store for an answer to "run time": an answer naming the runtime
// program itself (run_tovalu.exe, or run_sorvane.exe as the prompt calls it,
// ignoring case) gives that program's folder (the current one for a bare name);
// any other answer is kept exactly as typed.
std::string run_time_dir_of_answer(std::string_view answer, const FileSystem& files);

// A File menu item: load or save an option set, set the runtime folder, or save
// the settings to the run file and close the window.
void f11_Click(MainWindow& window, int index, Services& services);

// A tab was chosen; "Cal File(s)" gives the raw folder tree the focus.
void SSTab1_Click(MainWindow& window, int tab);

}  // namespace sorvane
