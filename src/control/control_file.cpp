#include "control/control_file.h"

#include "contract/control_file_format.h"
#include "control/settings_view.h"
#include "import/base_name.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace sorvane {

std::string run_file_path(const AnalysisSettings& settings, const FileSystem& files) {
    return settings.system_dir + files.separator() + std::string(control_file_name);
}

std::vector<std::string> selected_base_names(const Form1& form) {
    std::vector<std::string> names;
    for (const std::string& name : form.File1[0].selected_names())
        names.push_back(base_name_of(name));
    return names;
}

bool write_control_file(const Form1& form, const AnalysisSettings& settings,
                        const std::string& control_file_path, FileSystem& files, Ui& ui) {
    const std::string bytes = render_control_file(settings, selected_base_names(form));
    const std::string temporary = control_file_path + ".tmp";
    // A fresh account has no settings folder yet.
    FsResult result = files.create_folder(folder_of_path(control_file_path, files.separator()));
    if (result.ok()) result = files.write_file(temporary, bytes);
    if (result.ok()) {
        result = files.rename_file(temporary, control_file_path);
        if (!result.ok()) files.remove_file(temporary);
    }
    if (result.ok()) return true;
    ui.message_box(
        "The control file " + control_file_path + " could not be written." + "\r\n" + result.reason,
        application_title, Buttons::ok);
    return false;
}

std::int16_t read_control_file(Form1& form, AnalysisSettings& settings,
                               const std::string& control_file_path, const FileSystem& files) {
    const char separator = files.separator();
    const std::optional<std::string> found = files.find_ignoring_case(
        folder_of_path(control_file_path, separator), name_of_path(control_file_path, separator));
    if (!found || found->size() < 4) return 0;
    std::string bytes;
    // A file that is listed but cannot be read is treated as no file: nothing changes.
    if (!files.read_file(control_file_path, bytes).ok()) return 0;

    const std::string system_dir = settings.system_dir;
    parse_control_file(bytes, settings);
    // A folder of another machine would send the run file where it cannot be written.
    if (!files.folder_exists(settings.system_dir)) settings.system_dir = system_dir;

    show_values(form, settings);
    show_manual_peaks(form, settings);
    return -1;
}

}  // namespace sorvane
