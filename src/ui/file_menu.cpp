#include "ui/file_menu.h"

#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "platform/ui.h"
#include "platform/file_system.h"

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
        services.ui.input_box(run_time_prompt, run_time_title, "");
    if (answer && !answer->empty()) window.settings.run_time_dir = *answer;
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
