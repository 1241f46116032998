#pragma once

#include <optional>
#include <string>
#include <vector>

#include "browser/browsers.h"
#include "contract/analysis_settings.h"
#include "form/form1.h"
#include "spectrum/spectrum.h"
#include "ui/run_watches.h"

namespace sorvane {

class FileSystem;
class Process;
class Ui;

// Which control holds the keyboard focus, as far as the handlers set it.
enum class Focus { none, window, TreeView1_0 };

// The window's place on the screen in pixels.
struct WindowPlacement {
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// The main window without a toolkit: its controls, its trees, the records it owns
// and what it asks of the screen (caption, place, focus, closing).
struct MainWindow {
    Form1 form;
    Browsers browsers;
    AnalysisSettings settings;
    Spectrum spectrum;
    std::string control_file_path;
    bool exiting = false;

    std::string caption;
    std::optional<WindowPlacement> placement;  // nothing: keep the designed place
    Focus focus = Focus::none;
    std::string status_line;  // what the last "GO" did; empty before the first
    // Runtimes started by "GO" that are still watched, the newest last.
    std::vector<WatchedRun> watched_runs;
    bool shown = false;
    bool closed = false;
};

// The outside world the handlers act on.
struct Services {
    FileSystem& fs;
    Process& process;
    Ui& ui;
};

}  // namespace sorvane
