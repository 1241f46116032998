// No earlier result is lost, whatever fails during "GO": the disk fills up at each
// write of a run in turn, or the runtime stops part way. Afterwards every earlier
// result set is as it was, byte for byte, or replaced whole by a new one, and the
// user was told.
#include <gtest/gtest.h>

#include <set>

#include "control/batch_run.h"
#include "control/control_file.h"
#include "support/faulty_file_system.h"
#include "support/memory_file_system.h"
#include "support/raw_texts.h"
#include "support/scripted_process.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

const std::string raw = "C:\\raw.asc\\";  // the folder name passes the ".asc" test for any file
const std::string results = "C:\\res\\";
const std::string system_dir = "C:\\sys";
const std::string control = "C:\\sys\\sorvane.inf";
const std::string receipt = "C:\\sys\\sorvane.inf.read";
const std::string sources = "C:\\sys\\sorvane.inf.sources";
const std::string run_log = "C:\\res\\sorvane-run.log";

// The earlier state of the folders, written by hand.
const std::string earlier_log = "2026-12-01 09:00:00 C:\\raw.asc\\x.asc: an older line\n";
const std::string earlier_control = "earlier control file\r\n";
const std::string earlier_sources = "earlier sources\r\n";
struct EarlierSet {
    const char* base;
    std::vector<std::pair<const char*, const char*>> files;  // extension, bytes
};
const EarlierSet earlier_sets[] = {
    {"a", {{".res", "earlier result of a\r\n"}, {".svg", "earlier plot of a\r\n"}}},
    {"b", {{".res", "earlier result of b\r\n"}}},
};

std::string new_result(const std::string& base) {
    return "new result of " + base + "\r\n";
}
std::string new_plot(const std::string& base) {
    return "new plot of " + base + "\r\n";
}
// What this program's runtime writes for a spectrum it could not analyse.
std::string failure_result(const std::string& reason) {
    return "[spectrum]\r\nanalysed_range = -\r\n[messages]\r\n" + reason + "\r\n";
}

class NoLoss : public ::testing::Test {
protected:
    MemoryFileSystem disk;
    FaultyFileSystem fs{disk};
    ScriptedProcess process;
    ScriptedUi ui;
    Spectrum spectrum;
    Form1 form;
    AnalysisSettings settings;
    std::vector<std::string> control_versions;  // the control file after each write

    void SetUp() override {
        settings.system_dir = system_dir;
        for (const char* name : {"a.asc", "b.asc", "c.asc"})
            disk.add_file(raw + name, simple_spectrum());
        disk.add_folder(results);
        for (const EarlierSet& set : earlier_sets)
            for (const auto& [extension, bytes] : set.files)
                disk.add_file(results + set.base + extension, bytes);
        disk.add_file(run_log, earlier_log);
        disk.add_file(control, earlier_control);
        disk.add_file(sources, earlier_sources);
    }

    // A stand-in for the runtime on the same disk: it confirms the control file at
    // its first step, then analyses one spectrum per step as the real one does (the
    // plot, then the result, each written beside and renamed), and ends.
    void runtime_analyses(std::vector<std::string> bases, std::size_t stops_after = 99) {
        process.on_pause = [this, bases, stops_after, next = std::size_t{0},
                            confirmed = false]() mutable {
            if (!process.running) return;
            if (!confirmed) {
                fs.write_file(receipt, "1234");  // a receipt it cannot write stops nothing
                confirmed = true;
                return;
            }
            if (next >= bases.size() || next >= stops_after) {
                process.running = false;
                return;
            }
            const std::string base = bases[next++];
            const std::string output = results + base;
            std::string chn;
            if (!fs.read_file(output + ".chn", chn).ok()) {
                // A failure never replaces a result.
                if (!fs.file_exists(output + ".res"))
                    write_whole_file(fs, output + ".res", failure_result("no CHN file"));
                return;
            }
            if (write_whole_file(fs, output + ".svg", new_plot(base)).ok())
                write_whole_file(fs, output + ".res", new_result(base));
        };
    }

    // A runtime that GO did not wait for goes on to its end.
    void runtime_finishes() {
        for (int step = 0; step < 20 && process.running; ++step)
            if (process.on_pause) process.on_pause();
    }

    BatchReport go(ChnConversion conversion) {
        BatchTiming timing;
        timing.time_stamp = [] { return std::string("2026-12-08 10:00:00"); };
        BatchRun run(spectrum, fs, process, ui, timing);
        BatchRequest request{30,
                             conversion,
                             raw,
                             results,
                             system_dir,
                             "C:\\rt\\run_Tovalu.exe",
                             {"a.asc", "b.asc", "c.asc"}};
        return run.run(request, [&](const std::string& chn_dir) {
            settings.chn_dir = chn_dir;
            const bool written = write_control_file(form, settings, control, fs, ui);
            control_versions.push_back(disk.contents(control).value_or(""));
            return written;
        });
    }

    // Each earlier set is as it was or replaced whole by the new one; nothing is aside.
    // `whole_sets` false checks the results alone, not the plots beside them.
    void expect_every_earlier_set_whole(bool whole_sets = true) {
        for (const EarlierSet& set : earlier_sets) {
            SCOPED_TRACE(set.base);
            const std::string base = set.base;
            const std::optional<std::string> result = disk.contents(results + base + ".res");
            ASSERT_TRUE(result.has_value()) << "an earlier result was lost";
            if (!whole_sets) {
                EXPECT_TRUE(*result == new_result(base) || *result == set.files[0].second);
            } else if (*result == new_result(base)) {
                EXPECT_EQ(disk.contents(results + base + ".svg"), new_plot(base));
            } else {
                for (const auto& [extension, bytes] : set.files)
                    EXPECT_EQ(disk.contents(results + base + extension), bytes) << extension;
                if (set.files.size() == 1) {
                    EXPECT_FALSE(disk.file_exists(results + base + ".svg")) << "a stray new plot";
                }
            }
            for (const char* extension : {".res", ".svg"})
                EXPECT_FALSE(disk.file_exists(results + base + extension + ".earlier"));
        }
        EXPECT_FALSE(disk.file_exists(system_dir + "\\sorvane.inf.aside"));
        const std::string log = disk.contents(run_log).value_or("");
        EXPECT_EQ(log.substr(0, earlier_log.size()), earlier_log) << "the earlier log was lost";
    }
};

// Every write of a run, in the order of a run without faults.
struct WritesOfARun {
    std::vector<std::string> paths;
    std::vector<std::string> control_versions;
    std::string sources;
};

class NoLossFullDisk : public NoLoss, public ::testing::WithParamInterface<ChnConversion> {};

TEST_P(NoLossFullDisk, EveryEarlierResultSurvivesADiskThatFillsAtAnyWrite) {
    WritesOfARun clean;
    {
        runtime_analyses({"a", "b", "c"});
        go(GetParam());
        runtime_finishes();
        clean = {fs.writes, control_versions, disk.contents(sources).value_or("")};
        // Without a fault every spectrum has its new result.
        for (const char* base : {"a", "b", "c"})
            EXPECT_EQ(disk.contents(results + base + ".res"), new_result(base));
        expect_every_earlier_set_whole();
    }
    ASSERT_GE(clean.paths.size(), 12u) << "CHN files, control file twice, sources, results, log";
    for (const bool frees_again : {false, true}) {
        for (std::size_t fault = 1; fault <= clean.paths.size(); ++fault) {
            SCOPED_TRACE(testing::Message() << "write " << fault << " of " << clean.paths.size()
                                            << " fails: " << clean.paths[fault - 1]
                                            << (frees_again ? " (once)" : " (and all after)"));
            MemoryFileSystem fresh;
            std::swap(disk, fresh);
            fs.writes.clear();
            fs.full_from = fault;
            fs.frees_again = frees_again;
            ui = ScriptedUi{};
            process = ScriptedProcess{};
            control_versions.clear();
            SetUp();
            runtime_analyses({"a", "b", "c"});
            const BatchReport report = go(GetParam());
            runtime_finishes();

            // A runtime that GO did not wait for replaces a set file by file; a fault
            // of its own between the plot and the result leaves the new plot.
            const std::string& failed = clean.paths[fault - 1];
            const bool by_runtime =
                failed == receipt || failed.ends_with(".res.tmp") || failed.ends_with(".svg.tmp");
            expect_every_earlier_set_whole(GetParam() == ChnConversion::temporary || !by_runtime);
            const std::string control_now = disk.contents(control).value_or("");
            EXPECT_TRUE(control_now == earlier_control ||
                        std::find(clean.control_versions.begin(), clean.control_versions.end(),
                                  control_now) != clean.control_versions.end())
                << "the control file is whole: " << control_now;
            const std::string sources_now = disk.contents(sources).value_or("");
            // The earlier side file, or a whole new one: lines of the run without faults.
            if (sources_now != earlier_sources) {
                for (const RawSource& source : parse_raw_sources(sources_now))
                    EXPECT_NE(clean.sources.find(render_raw_sources({source})), std::string::npos);
                EXPECT_EQ(render_raw_sources(parse_raw_sources(sources_now)), sources_now);
            }
            // Whatever was not replaced, the user heard of it.
            bool all_new = true;
            for (const char* base : {"a", "b", "c"})
                all_new = all_new && disk.contents(results + base + ".res") == new_result(base);
            const bool told = !ui.messages.empty() || !report.log_problem.empty() ||
                              report.earlier_kept > 0 || report.control_file_failed;
            // (A runtime that GO did not wait for tells in its own output and log.)
            if (!all_new && (GetParam() == ChnConversion::temporary || !by_runtime)) {
                EXPECT_TRUE(told);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WaitingAndNot, NoLossFullDisk,
                         ::testing::Values(ChnConversion::temporary, ChnConversion::make_chn));

// The runtime stops after k spectra (killed, or ended by a fault of its own).
TEST_F(NoLoss, ARuntimeThatStopsPartWayLeavesEveryEarlierSetWhole) {
    struct Case {
        std::size_t stops_after;
        int kept;          // earlier sets put back
        int results_seen;  // results the wait saw
        std::set<std::string> new_bases;
    };
    const Case cases[] = {
        {0, 2, 0, {}},
        {1, 1, 1, {"a"}},
        {2, 0, 2, {"a", "b"}},
        {3, 0, 3, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stops_after);
        MemoryFileSystem fresh;
        std::swap(disk, fresh);
        ui = ScriptedUi{};
        process = ScriptedProcess{};
        SetUp();
        runtime_analyses({"a", "b", "c"}, c.stops_after);
        const BatchReport report = go(ChnConversion::temporary);
        expect_every_earlier_set_whole();
        EXPECT_EQ(report.earlier_kept, c.kept);
        EXPECT_EQ(report.results_appeared, c.results_seen);
        for (const char* base : {"a", "b", "c"})
            EXPECT_EQ(disk.contents(results + base + ".res") == new_result(base),
                      c.new_bases.count(base) == 1)
                << base;
        EXPECT_EQ(report.missing_results.size(), 3 - c.new_bases.size());
    }
}

// A spectrum the runtime could not analyse gets its failure result only where no
// earlier result was; an earlier one is put back over it and the log says why.
TEST_F(NoLoss, AFailureResultNeverReplacesAnEarlierOne) {
    runtime_analyses({"a", "b", "c"});
    const auto analyse = process.on_pause;
    process.on_pause = [&, analyse]() mutable {
        disk.remove_file(results + "b.chn");  // b's spectrum vanishes before it is read
        analyse();
    };
    const BatchReport report = go(ChnConversion::temporary);
    EXPECT_EQ(disk.contents(results + "b.res"), "earlier result of b\r\n");
    EXPECT_EQ(disk.contents(results + "a.res"), new_result("a"));
    EXPECT_EQ(report.earlier_kept, 1);
    EXPECT_EQ(disk.contents(run_log),
              earlier_log +
                  "2026-12-08 10:00:00 C:\\res\\b.res: not analysed: no CHN file; the earlier "
                  "result is kept\n");
}

// Sets left aside by a window that crashed mid-run go back at the next run, from
// the note beside the control file; a set whose new result is whole is dropped.
TEST_F(NoLoss, SetsLeftAsideByACrashGoBackAtTheNextStart) {
    disk.add_file(system_dir + "\\sorvane.inf.aside", "res dir = C:\\res\\\r\n");
    for (const char* name : {"a.res", "a.svg"})
        disk.rename_file(results + name, results + name + std::string(".earlier"));
    disk.add_file(results + "a.svg", "a new plot whose result never came");
    disk.rename_file(results + "b.res", results + "b.res.earlier");
    disk.add_file(results + "b.res", new_result("b"));
    const SettledSets settled = settle_left_aside(fs, system_dir);
    EXPECT_EQ(disk.contents(results + "a.res"), "earlier result of a\r\n");
    EXPECT_EQ(disk.contents(results + "a.svg"), "earlier plot of a\r\n");
    EXPECT_EQ(disk.contents(results + "b.res"), new_result("b"));
    EXPECT_FALSE(disk.file_exists(results + "b.res.earlier"));
    ASSERT_EQ(settled.kept.size(), 1u);
    EXPECT_EQ(settled.kept[0].base, "a");
    EXPECT_EQ(settled.replaced, 1);
    EXPECT_EQ(settled.res_dir, results);
    EXPECT_FALSE(disk.file_exists(system_dir + "\\sorvane.inf.aside"));
    EXPECT_EQ(settle_left_aside(fs, system_dir).kept.size(), 0u) << "nothing twice";
}

// More missing results than a message can list are counted, and the log names them.
TEST_F(NoLoss, ManyMissingResultsAreCountedAndTheLogNamesEach) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back("m" + std::to_string(i) + ".asc");
        disk.add_file(raw + names.back(), simple_spectrum());
    }
    runtime_analyses({}, 0);
    BatchRun run(spectrum, fs, process, ui);
    const BatchReport report = run.run(
        {30, ChnConversion::temporary, raw, results, system_dir, "C:\\rt\\run_Tovalu.exe", names},
        [](const std::string&) { return true; });
    ASSERT_EQ(report.missing_results.size(), 12u);
    EXPECT_EQ(ui.messages.back().text,
              "The analysis runtime has ended without writing 12 results of 12.\r\n"
              "The run log C:\\res\\sorvane-run.log names every one.");
    const std::string log = disk.contents(run_log).value_or("");
    for (int i = 0; i < 12; ++i)
        EXPECT_NE(log.find("C:\\res\\m" + std::to_string(i) + ".res: the analysis runtime ended"),
                  std::string::npos)
            << i;
}

}  // namespace
}  // namespace sorvane
