#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/batch_run.h"
#include "form/option_groups.h"
#include "ui/main_window.h"

namespace sorvane {

// The window's events that the toolkit forwards, each running its handler on the
// form model. The toolkit then copies the form back into its widgets.

// "GO"; nothing when the settings stopped the run. The status line tells the outcome.
std::optional<BatchReport> Command1_Click(MainWindow& window, Services& services);
// The window's status line after a "GO" that ended with `report`, or was stopped.
void show_run_status(MainWindow& window, const std::optional<BatchReport>& report,
                     const FileSystem& files);
// "SET Default".
void Command2_Click(MainWindow& window);
// A click on an option button.
void Option_Click(MainWindow& window, OptionGroup group, int index);
// A type chosen from the list of `Combo1`, or its text edited.
void Combo1_Select(MainWindow& window, int position, const FileSystem& files);
void Combo1_Edit(MainWindow& window, std::string text, const FileSystem& files);
// The user changed the selection of a file list.
void File1_Select(MainWindow& window, int index, const std::vector<bool>& selected);
// Folder tree events of tree `index`.
void TreeView1_NodeClick(MainWindow& window, int index, int node, Services& services);
void TreeView1_Expand(MainWindow& window, int index, int node, const FileSystem& files);
void TreeView1_Collapse(MainWindow& window, int index, int node);
// Files dropped on `File1(index)`; nothing when the data held no file list. The
// window takes the focus afterwards.
void File1_OLEDragDrop(MainWindow& window, int index,
                       const std::optional<std::vector<std::string>>& dropped,
                       const FileSystem& files);

}  // namespace sorvane
