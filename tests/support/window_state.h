#pragma once

#include <gtest/gtest.h>

#include <string>

#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "support/scripted_ui.h"

namespace sorvane {

// The control file the window saves on Exit with "Simple data", temporary CHN files
// ("no") and these folders: what `sorvanecli go` starts from; "Manual" peak search
// (without a peak list) when asked.
inline void save_window_state(FileSystem& files, const std::string& system_dir,
                              const std::string& run_time_dir, const std::string& raw_dir,
                              const std::string& res_dir, bool manual_peaks = false) {
    Form1 form;
    AnalysisSettings settings;
    ScriptedUi ui;
    settings.system_dir = system_dir;
    settings.run_time_dir = run_time_dir;
    fill_type_list(form, files);
    set_default(form);
    select_type_position(form, 10, files);
    select_option(form, OptionGroup::Option8, 1);
    if (manual_peaks) select_option(form, OptionGroup::Option1, 1);
    show_folder_in_field(form.Text9[0], raw_dir);
    show_folder_in_field(form.Text9[1], res_dir);
    ASSERT_EQ(collect_settings(form, settings, files, ui, true), 0);
    ASSERT_TRUE(write_control_file(form, settings, run_file_path(settings, files), files, ui));
}

}  // namespace sorvane
