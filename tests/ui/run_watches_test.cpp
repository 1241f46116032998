#include "ui/run_watches.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"
#include "support/scripted_process.h"
#include "support/scripted_ui.h"
#include "ui/main_window.h"

namespace sorvane {
namespace {

const char* const analysed =
    "[spectrum]\r\nlive_time = 1800\r\nanalysed_range = 0 4095\r\n[peaks]\r\nno energy area\r\n"
    "1 121.78 60282.6\r\n";

BatchRequest chn_request(std::vector<std::string> names) {
    BatchRequest request;
    request.type_code = 1;
    request.res_dir = "/res/";
    request.selected_names = std::move(names);
    return request;
}

BatchReport started(std::int64_t id, std::vector<std::string> bases) {
    BatchReport report;
    report.runtime_started = true;
    report.runtime_id = id;
    report.handed_bases = std::move(bases);
    return report;
}

// Two "GO"s on CHN files, the second while the first's runtime still works: the
// status line follows the newest; the first is reaped quietly; the newest's end
// opens its summary.
TEST(RunWatches, TheNewestRunIsShownAndEveryRuntimeIsReaped) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/res");
    ScriptedProcess process;
    ScriptedUi ui;
    Services services{fs, process, ui};
    MainWindow window;
    const std::int64_t first = *process.start("/rt/run_Tovalu.exe", "/sys", false).id;
    watch_run(window, chn_request({"a.chn"}), started(first, {"a"}));
    const std::int64_t second = *process.start("/rt/run_Tovalu.exe", "/sys", false).id;
    watch_run(window, chn_request({"b.chn", "c.chn"}), started(second, {"b", "c"}));
    ASSERT_EQ(window.watched_runs.size(), 2u);

    struct Step {
        const char* what;
        const char* writes;                // a result file, or nullptr
        std::optional<std::int64_t> ends;  // a runtime that ends (exit 0)
        std::size_t watched;               // runs still watched after the look
        bool summary;                      // the look hands back a summary
        std::string status;
    };
    const Step steps[] = {
        {"the first's result", "/res/a.res", std::nullopt, 2, false,
         "GO: 2 CHN files listed; the runtime is working: 0 of 2 results written, 0 failed; "
         "result folder /res/"},
        {"the first ends", nullptr, first, 1, false,
         "GO: 2 CHN files listed; the runtime is working: 0 of 2 results written, 0 failed; "
         "result folder /res/"},
        {"b", "/res/b.res", std::nullopt, 1, false,
         "GO: 2 CHN files listed; the runtime is working: 1 of 2 results written, 0 failed; "
         "result folder /res/"},
        {"c and the end", "/res/c.res", second, 0, true,
         "GO: 2 CHN files listed; the runtime has ended (exit status 0): 2 of 2 results "
         "written, 0 failed, 0 without a result; result folder /res/"},
    };
    for (const Step& step : steps) {
        if (step.writes) fs.add_file(step.writes, analysed);
        if (step.ends) process.exits[*step.ends] = 0;
        const std::optional<EndedRun> ended = look_at_runs(window, services);
        EXPECT_EQ(window.watched_runs.size(), step.watched) << step.what;
        EXPECT_EQ(ended.has_value(), step.summary) << step.what;
        EXPECT_EQ(window.status_line, step.status) << step.what;
        if (ended) {
            EXPECT_EQ(ended->names, (std::vector<std::string>{"b", "c"}));
            EXPECT_EQ(ended->res_dir, "/res/");
        }
    }
}

// A run that waited for its results keeps its own status line; its runtime, which
// may still be closing, is only reaped. A run that started nothing is not watched.
TEST(RunWatches, AWaitedRunIsOnlyReapedAndARunWithoutRuntimeIsNotWatched) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    ScriptedProcess process;
    ScriptedUi ui;
    Services services{fs, process, ui};
    MainWindow window;
    window.status_line =
        "GO: 1 file converted, 0 failed; 1 of 1 result appeared; result folder /res/";
    BatchRequest waited = chn_request({"a.asc"});
    waited.type_code = 30;
    waited.conversion = ChnConversion::temporary;
    watch_run(window, waited, started(*process.start("/rt/x", "/sys", false).id, {"a"}));
    BatchReport none;
    watch_run(window, waited, none);
    ASSERT_EQ(window.watched_runs.size(), 1u);
    const std::string before = window.status_line;
    EXPECT_FALSE(look_at_runs(window, services));
    EXPECT_EQ(window.status_line, before);
    process.running = false;
    EXPECT_FALSE(look_at_runs(window, services)) << "no second summary";
    EXPECT_TRUE(window.watched_runs.empty());
    EXPECT_EQ(window.status_line, before);
}

}  // namespace
}  // namespace sorvane
