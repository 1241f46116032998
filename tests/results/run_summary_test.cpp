#include "results/run_summary.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

const char* const analysed =
    "[spectrum]\r\nlive_time = 1800\r\nanalysed_range = 0 4095\r\n[peaks]\r\n"
    "no energy area\r\n1 121.78 60282.6\r\n2 244.70 14094.4\r\n3 344.27 29821.9\r\n"
    "4 778.90 7414.0\r\n";
const char* const failed =
    "[spectrum]\r\nlive_time = 0\r\nanalysed_range = -\r\n[peaks]\r\nno energy area\r\n"
    "[messages]\r\n/res/b.chn is no CHN file: too short\r\n";
// As "GO" and the runtime append to it: the last line about a spectrum counts.
const char* const log =
    "2026-12-08 10:00:00 /raw/c.asc: not read: no \"BEGIN RMS2.0\" line\n"
    "2026-12-08 10:05:00 /raw/C.rms: not read: the channel count is 0\n"
    "2026-12-08 10:05:00 /raw/cc.rms: not read: elsewhere\n"
    "a note of another form\n";

TEST(RunSummary, ListsEachSpectrumWithItsLinesOrWhyItFailed) {
    struct Case {
        const char* name;
        const char* result;  // nullptr: no result file
        SummaryRow expected;
    };
    const Case cases[] = {
        {"a",
         analysed,
         {"a", "1800", "4", "121.8 keV 60283; 344.3 keV 29822; 244.7 keV 14094", "", ""}},
        {"b", failed, {"b", "0", "", "", "/res/b.chn is no CHN file: too short", ""}},
        {"c", nullptr, {"c", "", "", "", "not read: the channel count is 0", ""}},
        {"d", nullptr, {"d", "", "", "", "no result", ""}},
    };
    for (const Case& c : cases) {
        std::optional<ResultModel> result;
        if (c.result) result = read_result(c.result);
        const SummaryRow row = summary_row(c.name, result, log);
        EXPECT_EQ(row.live_time, c.expected.live_time) << c.name;
        EXPECT_EQ(row.peaks, c.expected.peaks) << c.name;
        EXPECT_EQ(row.strongest, c.expected.strongest) << c.name;
        EXPECT_EQ(row.failure, c.expected.failure) << c.name;
    }
}

TEST(RunSummary, ReadsTheResultFolderAndExportsCsv) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/res");
    fs.add_file("/res/a.res", analysed);
    fs.add_file("/res/sorvane-run.log", log);
    const auto rows = summarise_run(fs, "/res/", {"a", "c"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result_path, "/res/a.res");
    EXPECT_EQ(rows[1].result_path, "");
    EXPECT_EQ(summary_csv(rows),
              "spectrum,live_time,peaks,strongest_lines,failure\r\n"
              "a,1800,4,121.8 keV 60283; 344.3 keV 29822; 244.7 keV 14094,\r\n"
              "c,,,,not read: the channel count is 0\r\n");
}

// After a run, a result older than the run is not this run's: the row says why this
// run left none (its own failure, or none at all) and that the one shown is earlier.
TEST(RunSummary, MarksEarlierResultsOfFilesThatFailedNow) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/res");
    fs.add_file("/res/old.res", analysed);    // kept from an earlier run
    fs.add_file("/res/stale.res", analysed);  // kept, and nothing said about it
    fs.add_file("/res/marker", "");           // the run begins here
    const std::int64_t start = *fs.modification_time("/res/marker");
    fs.add_file("/res/new.res", analysed);   // written by this run
    fs.add_file("/res/same.res", analysed);  // as new as the run, yet its file failed now
    fs.add_file("/res/broken.res", failed);  // this run's failure result
    const ThisRun this_run{
        start, {{"OLD", "not read: Different format ?!"}, {"same", "not read: no data lines"}}};
    struct Case {
        const char* name;
        bool earlier;
        std::string failure;
        const char* peaks;
    };
    const Case cases[] = {
        {"old", true, "not read: Different format ?! (the result shown is an earlier one)", "4"},
        {"stale", true, "no result from this run (the result shown is an earlier one)", "4"},
        {"new", false, "", "4"},
        {"same", true, "not read: no data lines (the result shown is an earlier one)", "4"},
        {"broken", false, "/res/b.chn is no CHN file: too short", ""},
    };
    std::vector<std::string> names;
    for (const Case& c : cases) names.push_back(c.name);
    const auto rows = summarise_run(fs, "/res/", names, this_run);
    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].earlier, cases[i].earlier) << cases[i].name;
        EXPECT_EQ(rows[i].failure, cases[i].failure) << cases[i].name;
        EXPECT_EQ(rows[i].peaks, cases[i].peaks) << cases[i].name;
    }
    // Without a run to compare with, nothing is earlier.
    for (const SummaryRow& row : summarise_run(fs, "/res/", names)) EXPECT_FALSE(row.earlier);
}

}  // namespace
}  // namespace sorvane
