#pragma once

#include <gtest/gtest.h>

#include "contract/analysis_settings.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/form1.h"
#include "form/type_selector.h"
#include "support/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {

// A window after start-up without a control file, on a Windows machine with the
// runtime in C:\rt\ and two raw spectra in C:\data\.
class FormFixture : public ::testing::Test {
protected:
    FormFixture() {
        files.add_folder("C:\\WINDOWS");
        files.add_file("C:\\rt\\run_Tovalu.exe", "MZ");
        files.add_file("C:\\data\\spec1.chn", "x");
        files.add_file("C:\\data\\spec2.chn", "x");
        files.add_folder("C:\\res");
        settings.system_dir = "C:\\WINDOWS";
        settings.run_time_dir = "C:\\rt\\";
        form.File1[0].folder = "C:\\data";
        fill_type_list(form, files);
        set_default(form);
        show_folder_in_field(form.Text9[0], "C:\\data\\");
        show_folder_in_field(form.Text9[1], "C:\\res\\");
    }

    MemoryFileSystem files;
    ScriptedUi ui;
    Form1 form;
    AnalysisSettings settings;
};

}  // namespace sorvane
