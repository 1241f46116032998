#include "ui/file_menu.h"

#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "platform/dos_pattern.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace sorvane {
namespace {

void read_parm(MainWindow& window, Services& services) {
    const std::optional<std::string> chosen =
        services.ui.open_file_dialog(option_set_filter, window.settings.res_dir);
    if (!chosen || chosen->empty()) return;
    // The folder in which the option set was picked becomes the result folder.
    window.settings.res_dir = folder_of_path(*chosen, services.fs.separator());
    window.control_file_path = *chosen;
    if (read_control_file(window.form, window.settings, window.control_file_path, services.fs) !=
        0) {
        apply_settings(window.form, window.settings, services.fs);
    }
}

void save_parm(MainWindow& window, Services& services) {
    const std::optional<std::string> chosen =
        services.ui.save_file_dialog(option_set_filter, window.settings.res_dir);
    if (!chosen || chosen->empty()) return;
    window.control_file_path = *chosen;
    collect_settings(window.form, window.settings, services.fs, services.ui, window.exiting);
    write_control_file(window.form, window.settings, window.control_file_path, services.fs,
                       services.ui);
}

void run_time(MainWindow& window, Services& services) {
    const std::optional<std::string> answer =
        services.ui.run_time_box(run_time_prompt, run_time_title, window.settings.run_time_dir);
    if (answer && !answer->empty())
        window.settings.run_time_dir = run_time_dir_of_answer(*answer, services.fs);
}

void exit_window(MainWindow& window, Services& services) {
    window.exiting = true;
    window.control_file_path = run_file_path(window.settings, services.fs);
    collect_settings(window.form, window.settings, services.fs, services.ui, window.exiting);
    write_control_file(window.form, window.settings, window.control_file_path, services.fs,
                       services.ui);
    window.closed = true;
}

}  // namespace

std::string run_time_dir_of_answer(std::string_view answer, const FileSystem& files) {
    const std::size_t cut = answer.find_last_of(std::string{'/', files.separator()});
    const std::string_view name = cut == std::string_view::npos ? answer : answer.substr(cut + 1);
    if (!equal_ignoring_case(name, "run_tovalu.exe") &&
        !equal_ignoring_case(name, "run_sorvane.exe"))
        return std::string(answer);
    if (cut == std::string_view::npos) return files.current_folder();
    return std::string(answer.substr(0, cut + 1));
}

void f11_Click(MainWindow& window, int index, Services& services) {
    switch (index) {
        case menu_read_parm:
            read_parm(window, services);
            break;
        case menu_save_parm:
            save_parm(window, services);
            break;
        case menu_run_time:
            run_time(window, services);
            break;
        case menu_exit:
            exit_window(window, services);
            break;
        default:
            break;  // the separators do nothing
    }
}

void SSTab1_Click(MainWindow& window, int tab) {
    window.form.SSTab1.tab = tab;
    if (tab == 2) window.focus = Focus::TreeView1_0;
}

}  // namespace sorvane
