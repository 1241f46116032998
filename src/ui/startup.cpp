#include "ui/startup.h"

#include <ctime>
#include <exception>

#include "browser/open_tree_at.h"
#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/earlier_results.h"
#include "control/manual_peaks.h"
#include "control/settings_view.h"
#include "form/type_selector.h"
#include "platform/dos_pattern.h"
#include "platform/file_system.h"
#include "platform/result_set.h"

namespace sorvane {
namespace {

// Runs one step of the start-up; a step that fails is left behind, as the window
// is more use with the rest done than not shown at all.
template <typename Step>
void run_step(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

std::string trimmed_system_dir(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

std::optional<std::string> runtime_date(const AnalysisSettings& settings, const FileSystem& files,
                                        const StartupEnvironment& environment) {
    const std::string path = settings.run_time_dir + std::string(runtime_file_name);
    const std::string folder = folder_of_path(path, files.separator());
    const std::optional<std::string> found =
        files.find_ignoring_case(folder, name_of_path(path, files.separator()));
    if (!found || !files.file_exists(folder + *found)) return std::nullopt;
    const std::optional<std::int64_t> changed = files.modification_time(folder + *found);
    if (!changed) return std::nullopt;
    return environment.date_text ? environment.date_text(*changed) : local_date_text(*changed);
}

// Opens a tree at a stored folder; when that fails, the folder becomes the root
// of the drive holding `system_dir` and the tree opens there instead.
void open_stored_folder(MainWindow& window, int index, std::string& folder,
                        const FileSystem& files) {
    try {
        open_tree_at(window.form, window.browsers, index, folder, files);
        return;
    } catch (const TreeOpenError&) {
        folder = drive_root_of(window.settings.system_dir, files);
    }
    run_step([&] { open_tree_at(window.form, window.browsers, index, folder, files); });
}

}  // namespace

std::string local_date_text(std::int64_t seconds) {
    const auto stamp = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &stamp) != 0) return {};
#else
#ifdef _WIN32
    if (localtime_s(&local, &stamp) != 0) return {};
#else
    if (localtime_r(&stamp, &local) == nullptr) return {};
#endif
#endif
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%x %X", &local);
    return std::string(text, length);
}

std::string drive_root_of(std::string_view path, const FileSystem& files) {
    const std::vector<std::string> roots = files.drive_roots();
    std::string best;
    for (const std::string& root : roots) {
        if (root.size() > best.size() && path.size() >= root.size() &&
            equal_ignoring_case(path.substr(0, root.size()), root)) {
            best = root;
        }
    }
    if (best.empty() && !roots.empty()) best = roots.front();
    return best;
}

void Form_Load(MainWindow& window, const FileSystem& files, const StartupEnvironment& environment) {
    Form1& form = window.form;
    AnalysisSettings& settings = window.settings;
    std::string title = window_title(environment.version);
    std::int16_t read_status = 0;

    run_step([&] { settings.system_dir = trimmed_system_dir(environment.system_dir); });
    run_step([&] { clear_manual_peaks(form, settings); });
    run_step([&] { window.control_file_path = run_file_path(settings, files); });
    run_step(
        [&] { read_status = read_control_file(form, settings, window.control_file_path, files); });
    if (settings.run_time_dir.empty()) settings.run_time_dir = environment.bundled_runtime_dir;
    run_step([&] {
        const FormPosition& stored = settings.form_pos[1];
        if (stored.height != 0) {
            window.placement =
                WindowPlacement{stored.top / twips_per_pixel, stored.left / twips_per_pixel,
                                stored.height / twips_per_pixel, stored.width / twips_per_pixel};
        }
    });
    run_step([&] { fill_type_list(form, files); });
    run_step([&] {
        form.Frame14.visible = false;
        form.Frame15.visible = false;
    });
    run_step([&] {
        if (read_status != 0) {
            title += title_update_mark;
            if (std::optional<std::string> date = runtime_date(settings, files, environment)) {
                title += *date;
            }
            apply_settings(form, settings, files);
        } else {
            set_default(form);
        }
    });
    run_step([&] { build_drive_trees(window.browsers, files); });
    run_step([&] { open_stored_folder(window, 1, settings.res_dir, files); });
    run_step([&] { open_stored_folder(window, 0, settings.chn_dir, files); });
    window.shown = true;
    window.focus = Focus::TreeView1_0;
    window.caption = title;
}

void restore_set_aside_results(MainWindow& window, FileSystem& files) {
    const SettledSets settled = settle_left_aside(files, window.settings.system_dir);
    if (settled.kept.empty() && settled.replaced == 0 && settled.problems.empty()) return;
    std::vector<std::string> lines;
    for (const KeptSet& kept : settled.kept)
        lines.push_back(run_log_line(local_time_stamp(), settled.res_dir + kept.base + ".res",
                                     kept.reason + "; the earlier result is put back"));
    for (const std::string& problem : settled.problems)
        lines.push_back(run_log_line(local_time_stamp(), settled.res_dir, problem));
    const FsResult logged = append_run_log_lines(files, settled.res_dir, lines);
    const std::size_t kept = settled.kept.size();
    window.status_line =
        "Start: an interrupted GO in " + settled.res_dir + ": " + std::to_string(kept) +
        (kept == 1 ? " earlier result" : " earlier results") + " put back, " +
        std::to_string(settled.replaced) +
        (settled.replaced == 1 ? " replaced by a whole new one" : " replaced by whole new ones");
    if (!settled.problems.empty())
        window.status_line += ", " + std::to_string(settled.problems.size()) + " files not settled";
    window.status_line += logged.ok() ? "; see " + settled.res_dir + std::string(run_log_name)
                                      : "; the run log could not be written: " + logged.reason;
}

}  // namespace sorvane
