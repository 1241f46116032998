#include "ui/run_watches.h"

#include "control/run_status_line.h"
#include "import/base_name.h"
#include "ui/main_window.h"

namespace sorvane {

ThisRun this_run_of(const BatchReport& report) {
    ThisRun run;
    run.start = report.run_start;
    for (const BatchFailure& failure : report.failures)
        run.failures.emplace_back(base_name_of(failure.name), failure.reason);
    return run;
}

void watch_run(MainWindow& window, const BatchRequest& request, const BatchReport& report) {
    if (!report.runtime_id) return;
    const bool waited = request.type_code > 1 && request.conversion == ChnConversion::temporary;
    window.watched_runs.push_back(
        {RunWatch(*report.runtime_id, request.res_dir, report.handed_bases, report.run_start),
         run_files_part(request, report), this_run_of(report),
         distinct_bases(request.selected_names), !waited});
}

std::optional<EndedRun> look_at_runs(MainWindow& window, Services& services) {
    std::optional<EndedRun> ended;
    const WatchedRun* newest = nullptr;
    for (WatchedRun& run : window.watched_runs)
        if (run.shows_status) newest = &run;
    for (WatchedRun& run : window.watched_runs) {
        run.watch.look(services.fs, services.process);
        if (&run != newest) continue;
        window.status_line = watched_status_line(run.files, run.watch);
        if (run.watch.over())
            ended = EndedRun{run.summary_names, run.watch.res_dir(), run.this_run};
    }
    std::erase_if(window.watched_runs, [](const WatchedRun& run) { return run.watch.over(); });
    return ended;
}

}  // namespace sorvane
