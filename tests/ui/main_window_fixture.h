#pragma once

#include <string>

#include "support/memory_file_system.h"
#include "support/scripted_process.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/main_window.h"
#include "ui/startup.h"

namespace sorvane {

// A Windows machine whose run file folder is C:\Sorvane, with the folders
// C:\data (a.chn, b.chn), C:\data\spectra, D:\x and D:\sets, and a window on it.
struct MainWindowFixture {
    MainWindowFixture() {
        fs.add_folder("C:\\Sorvane");
        fs.add_folder("C:\\data\\spectra");
        fs.add_file("C:\\data\\a.chn", "x");
        fs.add_file("C:\\data\\b.chn", "x");
        fs.add_folder("D:\\x");
        fs.add_folder("D:\\sets");
        environment.system_dir = "C:\\Sorvane";
        environment.version = Version{2, 1, 8};
        environment.date_text = [this](std::int64_t seconds) {
            dated = seconds;
            return std::string("08/12/2026 05:00:00");
        };
    }
    void put_run_file(std::string_view fixture) {
        fs.add_file("C:\\Sorvane\\sorvane.inf",
                    test_data(std::string("window/") + std::string(fixture)));
    }
    void start() { Form_Load(window, fs, environment); }

    MemoryFileSystem fs{MemoryFileSystem::Flavour::windows};
    ScriptedUi ui;
    ScriptedProcess process;
    Services services{fs, process, ui};
    StartupEnvironment environment;
    MainWindow window;
    std::int64_t dated = -1;
};

}  // namespace sorvane
