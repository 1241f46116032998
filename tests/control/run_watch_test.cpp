#include "control/run_watch.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"
#include "support/scripted_process.h"

namespace sorvane {
namespace {

const char* const analysed =
    "[spectrum]\r\nlive_time = 1800\r\nanalysed_range = 0 4095\r\n[peaks]\r\nno energy area\r\n"
    "1 121.78 60282.6\r\n[messages]\r\n";
// As the runtime writes it for a CHN file it cannot read.
const char* const failure =
    "[spectrum]\r\ninput = /res/c.chn\r\nlive_time = 0\r\nanalysed_range = -\r\n[peaks]\r\n"
    "no energy area\r\n[messages]\r\n/res/c.chn is no CHN file: too short\r\n";

// What the watch has counted after one step of the stand-in runtime.
struct Step {
    const char* what;
    std::vector<std::pair<const char*, const char*>> writes;  // file, content
    std::optional<int> ends_with;                             // the runtime's exit status
    bool over;
    std::string status;
};

// A CHN run of a, b, c that finds a's result of an earlier run in the folder: the
// watch counts only what this run wrote, and says when the runtime ended and how.
TEST(RunWatch, CountsThisRunsResultsAndSaysHowTheRuntimeEnded) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/res/a.res", analysed);  // the earlier run's
    fs.add_file("/sys/sorvane.inf.sources", "");
    const std::int64_t start = *fs.modification_time("/sys/sorvane.inf.sources");
    ScriptedProcess process;
    const std::int64_t runtime = *process.start("/rt/run_Tovalu.exe", "/sys", false).id;
    RunWatch watch(runtime, "/res/", {"a", "b", "c"}, start);

    const std::string head = "GO: 3 CHN files listed; ";
    const Step steps[] = {
        {"nothing yet",
         {},
         std::nullopt,
         false,
         head + "the runtime is working: 0 of 3 results written, 0 failed; result folder /res/"},
        {"b analysed, c failed",
         {{"/res/b.res", analysed}, {"/res/c.res", failure}},
         std::nullopt,
         false,
         head + "the runtime is working: 2 of 3 results written, 1 failed; result folder /res/"},
        // a's old result is still there: a has none of this run.
        {"ended",
         {},
         1,
         true,
         head + "the runtime has ended (exit status 1): 2 of 3 results written, 1 failed, "
                "1 without a result; result folder /res/"},
    };
    for (const Step& step : steps) {
        for (const auto& [path, content] : step.writes) fs.add_file(path, content);
        if (step.ends_with) process.exits[runtime] = *step.ends_with;
        watch.look(fs, process);
        EXPECT_EQ(watch.over(), step.over) << step.what;
        EXPECT_EQ(watched_status_line("3 CHN files listed", watch), step.status) << step.what;
    }
    EXPECT_EQ(watch.tally().missing, std::vector<std::string>{"a"});
    EXPECT_EQ(watch.tally().exit_status, 1);
}

// A result written as the runtime ends is counted in the look that sees the end;
// a runtime stopped by a signal has no exit status, and says so.
TEST(RunWatch, TheLastResultsAndAStoppedRuntimeAreCounted) {
    struct Case {
        const char* what;
        int exit;
        std::string status;
    };
    const Case cases[] = {
        {"ends at once", 0,
         "GO: 2 CHN files listed; the runtime has ended (exit status 0): 2 of 2 results "
         "written, 0 failed, 0 without a result; result folder /res/"},
        {"killed", -1,
         "GO: 2 CHN files listed; the runtime has ended without an exit status (it was "
         "stopped): 2 of 2 results written, 0 failed, 0 without a result; result folder /res/"},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
        fs.add_folder("/res");
        ScriptedProcess process;
        const std::int64_t runtime = *process.start("/rt/run_Tovalu.exe", "/sys", false).id;
        RunWatch watch(runtime, "/res/", {"a", "b"}, 0);
        fs.add_file("/res/a.res", analysed);
        fs.add_file("/res/b.res", analysed);
        process.exits[runtime] = c.exit;
        watch.look(fs, process);
        EXPECT_TRUE(watch.over()) << c.what;
        EXPECT_EQ(watched_status_line("2 CHN files listed", watch), c.status) << c.what;
        // Once over, later looks change nothing.
        fs.remove_file("/res/a.res");
        watch.look(fs, process);
        EXPECT_EQ(watch.tally().analysed, 2u) << c.what;
    }
}

TEST(RunWatch, ThisRunsResultIsOneNotOlderThanTheRun) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/res/old.res", analysed);
    const std::int64_t start = *fs.modification_time("/res/old.res") + 1;
    fs.add_file("/res/new.res", failure);
    struct Case {
        const char* path;
        bool this_run;
        bool failed;
    };
    const Case cases[] = {
        {"/res/old.res", false, false},
        {"/res/new.res", true, true},
        {"/res/none.res", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_this_runs_result(fs, c.path, start), c.this_run) << c.path;
        EXPECT_EQ(is_failure_result(fs, c.path), c.failed) << c.path;
    }
}

}  // namespace
}  // namespace sorvane
