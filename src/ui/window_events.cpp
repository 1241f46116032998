#include "ui/window_events.h"

#include "browser/dropped_files.h"
#include "control/command1.h"
#include "control/run_status_line.h"
#include "control/settings_view.h"
#include "form/type_selector.h"

namespace sorvane {

std::optional<BatchReport> Command1_Click(MainWindow& window, Services& services) {
    std::optional<BatchReport> report = Command1_Click(
        window.form, window.settings, window.spectrum, services.fs, services.process, services.ui);
    show_run_status(window, report, services.fs);
    if (report)
        watch_run(window, batch_request(window.form, window.settings, services.fs), *report);
    return report;
}

void show_run_status(MainWindow& window, const std::optional<BatchReport>& report,
                     const FileSystem& files) {
    window.status_line =
        report ? run_status_line(batch_request(window.form, window.settings, files), *report)
               : std::string(run_stopped_line);
}

void Command2_Click(MainWindow& window) {
    set_default(window.form);
}

void Option_Click(MainWindow& window, OptionGroup group, int index) {
    select_option(window.form, group, index);
}

void Combo1_Select(MainWindow& window, int position, const FileSystem& files) {
    select_type_position(window.form, position, files);
}

void Combo1_Edit(MainWindow& window, std::string text, const FileSystem& files) {
    edit_type_text(window.form, std::move(text), files);
}

void File1_Select(MainWindow& window, int index, const std::vector<bool>& selected) {
    FileListBox& list = window.form.File1.at(static_cast<std::size_t>(index));
    for (std::size_t entry = 0; entry < list.count(); ++entry) {
        list.set_selected(entry, entry < selected.size() && selected[entry]);
    }
}

void TreeView1_NodeClick(MainWindow& window, int index, int node, Services& services) {
    TreeView1_NodeClick(window.form, window.browsers, index, node, services.fs, services.ui);
}

void TreeView1_Expand(MainWindow& window, int index, int node, const FileSystem& files) {
    TreeView1_Expand(window.browsers, index, node, files);
}

void TreeView1_Collapse(MainWindow& window, int index, int node) {
    TreeView1_Collapse(window.browsers, index, node);
}

void File1_OLEDragDrop(MainWindow& window, int index,
                       const std::optional<std::vector<std::string>>& dropped,
                       const FileSystem& files) {
    if (auto raw_folder = File1_OLEDragDrop(window.form, window.browsers, index, dropped, files)) {
        window.settings.chn_dir = *raw_folder;
    }
    window.focus = Focus::window;
}

}  // namespace sorvane
