#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/batch_run.h"
#include "control/run_watch.h"
#include "results/run_summary.h"

namespace sorvane {

struct MainWindow;
struct Services;

// A runtime the window keeps an eye on after "GO" has returned.
struct WatchedRun {
    RunWatch watch;
    std::string files;  // the status line's part before the runtime's: what was listed
    ThisRun this_run;   // for the run summary at the end
    std::vector<std::string> summary_names;  // every listed file's base name
    bool shows_status = true;                // a run that waited for its results is only reaped
};

// A run whose runtime has ended: what its summary shows.
struct EndedRun {
    std::vector<std::string> names;
    std::string res_dir;
    ThisRun this_run;
};

// After "GO": watches the runtime it started, if it started one. A run that
// waited for its results keeps its status line; its runtime is still reaped.
void watch_run(MainWindow& window, const BatchRequest& request, const BatchReport& report);

// One look at every watched runtime, never waiting. The status line follows the
// newest run that shows one; when that run's runtime has ended, what its summary
// shows. Runs that are over are no longer watched.
std::optional<EndedRun> look_at_runs(MainWindow& window, Services& services);

// This run, as the summary of a run that waited compares its results with.
ThisRun this_run_of(const BatchReport& report);

}  // namespace sorvane
