#include "control/batch_run.h"

#include <gtest/gtest.h>

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
const std::string receipt = "C:\\sys\\sorvane.inf.read";

std::string fixed_time_stamp() {
    return "2026-12-08 10:00:00";
}

class BatchRunTest : public ::testing::Test {
protected:
    MemoryFileSystem fs;
    ScriptedProcess process;
    ScriptedUi ui;
    Spectrum spectrum;
    std::vector<std::string> control_writes;  // "[chn dir]" of each write
    std::vector<bool> receipt_at_write;

    void SetUp() override {
        fs.add_folder(raw);
        fs.add_folder(results);
        fs.add_folder(system_dir);
    }

    BatchRequest request(int code, ChnConversion conversion, std::vector<std::string> names) {
        for (const std::string& name : names) {
            if (!fs.file_exists(raw + name)) fs.add_file(raw + name, simple_spectrum());
        }
        return {
            code, conversion, raw, results, system_dir, "C:\\rt\\run_Tovalu.exe", std::move(names)};
    }

    BatchReport run(const BatchRequest& batch) {
        BatchTiming timing;
        timing.time_stamp = fixed_time_stamp;
        BatchRun run(spectrum, fs, process, ui, timing);
        return run.run(batch, [&](const std::string& chn_dir) {
            control_writes.push_back(chn_dir);
            receipt_at_write.push_back(fs.file_exists(receipt));
            return true;
        });
    }

    // A stand-in runtime: at its first pause it has read the control file; then it
    // writes one result per pause, of the bases given.
    void runtime_writes_results(std::vector<std::string> bases, bool ends_after = false) {
        process.on_pause = [this, bases, ends_after, next = std::size_t{0}]() mutable {
            if (!fs.file_exists(receipt)) {
                fs.add_file(receipt, "1234");
                return;
            }
            if (next < bases.size()) fs.add_file(results + bases[next++] + ".res", "result");
            if (next == bases.size() && ends_after) process.running = false;
        };
    }
};

TEST_F(BatchRunTest, ChnInputConvertsNothingAndStartsTheRuntimeOnTheRawFolder) {
    runtime_writes_results({});
    BatchReport report = run(request(1, ChnConversion::temporary, {"a.chn", "b.chn", "c.chn"}));
    EXPECT_EQ(report.converted, 0);
    EXPECT_EQ(control_writes, (std::vector<std::string>{raw, raw}));
    ASSERT_EQ(process.starts.size(), 1u);
    EXPECT_EQ(process.starts[0].program, "C:\\rt\\run_Tovalu.exe");
    EXPECT_EQ(process.starts[0].argument, system_dir);
    EXPECT_FALSE(fs.file_exists(results + "a.chn"));
}

TEST_F(BatchRunTest, TemporaryChnFilesAreRemovedAsTheirResultsAppear) {
    fs.add_file(results + "a.res", "stale");
    bool stale_gone_before_runtime = false;
    runtime_writes_results({"a", "b"});
    process.on_pause = [this, inner = process.on_pause, &stale_gone_before_runtime]() mutable {
        if (!fs.file_exists(receipt))
            stale_gone_before_runtime = !fs.file_exists(results + "a.res");
        inner();
    };
    BatchReport report = run(request(30, ChnConversion::temporary, {"a.asc", "b.asc"}));
    EXPECT_TRUE(stale_gone_before_runtime);
    EXPECT_EQ(report.converted, 2);
    EXPECT_EQ(fs.contents(results + "a.res"), "result");
    EXPECT_TRUE(fs.file_exists(results + "b.res"));
    EXPECT_FALSE(fs.file_exists(results + "a.chn"));
    EXPECT_FALSE(fs.file_exists(results + "b.chn"));
    EXPECT_EQ(control_writes, (std::vector<std::string>{results, raw}));
    EXPECT_TRUE(report.missing_results.empty());
    EXPECT_EQ(ui.progress.back(), "finished 1 of 2 1/2");
}

TEST_F(BatchRunTest, MakeChnKeepsTheFilesAndDoesNotWaitForResults) {
    runtime_writes_results({});
    BatchReport report = run(request(30, ChnConversion::make_chn, {"a.asc"}));
    EXPECT_TRUE(report.runtime_started);
    EXPECT_TRUE(fs.file_exists(results + "a.chn"));
    EXPECT_EQ(process.pauses, 1) << "only the wait for the runtime's receipt";
}

TEST_F(BatchRunTest, OnlyConversionWritesChnFilesAndStartsNothing) {
    BatchReport report = run(request(30, ChnConversion::only_conversion, {"a.asc", "b.asc"}));
    EXPECT_TRUE(process.starts.empty());
    EXPECT_FALSE(report.runtime_started);
    EXPECT_TRUE(fs.file_exists(results + "a.chn"));
    EXPECT_TRUE(fs.file_exists(results + "b.chn"));
    EXPECT_EQ(control_writes, (std::vector<std::string>{results, raw}));
}

TEST_F(BatchRunTest, NothingSelectedEndsTheWaitAtOnce) {
    runtime_writes_results({});
    BatchReport report = run(request(30, ChnConversion::temporary, {}));
    EXPECT_EQ(report.converted, 0);
    EXPECT_EQ(process.starts.size(), 1u);
    EXPECT_EQ(process.pauses, 1);
}

TEST_F(BatchRunTest, BaseNamesDropTheLastFourCharactersAndRepeatsAreCountedOnce) {
    runtime_writes_results({"spec", "a"});
    BatchReport report = run(request(30, ChnConversion::temporary, {"spectrum", "a.asc", "a.dat"}));
    EXPECT_EQ(report.converted, 2);
    EXPECT_TRUE(fs.file_exists(results + "spec.res"));
    EXPECT_TRUE(report.missing_results.empty());
    EXPECT_FALSE(fs.file_exists(results + "spec.chn"));
}

TEST_F(BatchRunTest, ARuntimeThatEndsWithoutAResultEndsTheWaitWithAMessage) {
    runtime_writes_results({"a"}, true);
    BatchReport report = run(request(30, ChnConversion::temporary, {"a.asc", "b.asc"}));
    EXPECT_EQ(report.missing_results, (std::vector<std::string>{"b"}));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text,
              "The analysis runtime has ended without writing these results:\r\nC:\\res\\b.res");
    EXPECT_TRUE(fs.file_exists(results + "b.chn")) << "its spectrum stays for another try";
}

TEST_F(BatchRunTest, TheControlFileIsRewrittenOnlyAfterTheRuntimeHasReadIt) {
    int pauses_before_reading = 5;
    process.on_pause = [&] {
        if (--pauses_before_reading == 0) fs.add_file(receipt, "1234");
    };
    run(request(30, ChnConversion::make_chn, {"a.asc"}));
    ASSERT_EQ(receipt_at_write.size(), 2u);
    EXPECT_FALSE(receipt_at_write[0]) << "an old receipt is removed before the start";
    EXPECT_TRUE(receipt_at_write[1]);
}

TEST_F(BatchRunTest, ARuntimeThatNeverConfirmsIsWaitedForThirtySeconds) {
    fs.add_file(receipt, "from an earlier run");
    run(request(30, ChnConversion::make_chn, {"a.asc"}));
    EXPECT_EQ(process.now(), std::chrono::milliseconds(30000));
    EXPECT_EQ(control_writes.size(), 2u);
}

TEST_F(BatchRunTest, AFailedReadGetsNoChnFileIsNotCountedAndIsListed) {
    fs.add_file(raw + "bad.asc", "no spectrum here\r\n");
    fs.add_file(results + "bad.chn", "stale spectrum");
    fs.add_file(results + "bad.res", "stale result");
    runtime_writes_results({"good"});
    BatchReport report = run(request(30, ChnConversion::temporary, {"bad.asc", "good.asc"}));
    EXPECT_EQ(report.converted, 1);
    EXPECT_FALSE(fs.file_exists(results + "bad.chn"));
    EXPECT_EQ(fs.contents(results + "bad.res"), "stale result") << "a good result is never lost";
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].name, "bad.asc");
    EXPECT_EQ(ui.messages.front().text,
              "File does not read.\r\nDifferent format ?!   Check file type !!");
    EXPECT_EQ(ui.messages.back().text,
              "These files were not converted:\r\nbad.asc: not read: no four consecutive channel "
              "numbers; the earlier result C:\\res\\bad.res is kept");
    EXPECT_EQ(fs.contents(results + "sorvane-run.log"),
              "2026-12-08 10:00:00 C:\\raw.asc\\bad.asc: not read: no four consecutive channel "
              "numbers; the earlier result C:\\res\\bad.res is kept\n");
}

// A run that does not wait leaves an earlier result set where it is: the runtime
// replaces it whole with a new one, or keeps it when the spectrum fails.
TEST_F(BatchRunTest, ARunThatDoesNotWaitLeavesTheEarlierResultSet) {
    struct Case {
        ChnConversion conversion;
        const char* raw_text;
        bool set_kept;
    };
    const std::string good = simple_spectrum();
    const Case cases[] = {
        {ChnConversion::temporary, "garbage\r\n", true},
        {ChnConversion::make_chn, "garbage\r\n", true},
        {ChnConversion::only_conversion, "garbage\r\n", true},
        {ChnConversion::make_chn, good.c_str(), true},
        {ChnConversion::only_conversion, good.c_str(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.conversion) << " " << c.raw_text);
        fs.add_file(raw + "a.asc", c.raw_text);
        for (const char* extension : {".res", ".svg", ".csv"})
            fs.add_file(results + "a" + extension, "earlier");
        run(request(30, c.conversion, {"a.asc"}));
        for (const char* extension : {".res", ".svg", ".csv"})
            EXPECT_EQ(fs.file_exists(results + "a" + extension), c.set_kept) << extension;
        EXPECT_EQ(fs.file_exists(results + "sorvane-run.log"), c.raw_text != good.c_str());
        fs.remove_file(results + "sorvane-run.log");
    }
}

TEST_F(BatchRunTest, SelectedInputsAreNeverReplacedAndShortNamesAreSkipped) {
    BatchRequest batch = request(30, ChnConversion::only_conversion, {"a.asc", "a.chn", "x.a"});
    batch.res_dir = raw;  // results go into the raw folder itself
    BatchReport report = run(batch);
    EXPECT_EQ(report.converted, 0);
    EXPECT_EQ(fs.contents(raw + "a.chn"), simple_spectrum());
    ASSERT_EQ(report.failures.size(), 3u);
    EXPECT_EQ(report.failures[2].reason, "the name is too short for a base name");
}

TEST_F(BatchRunTest, AControlFileThatCannotBeWrittenStartsNoRuntimeAndIsReported) {
    BatchRun batch(spectrum, fs, process, ui);
    BatchReport report = batch.run(request(30, ChnConversion::temporary, {"a.asc"}),
                                   [](const std::string&) { return false; });
    EXPECT_TRUE(report.control_file_failed);
    EXPECT_FALSE(report.runtime_started);
    EXPECT_TRUE(process.starts.empty());
}

// A result folder that takes no file is said once, in a box of its own, before
// anything is converted; nothing is written, started or awaited, in every mode.
TEST_F(BatchRunTest, AResultFolderThatCannotBeWrittenStopsTheRunBeforeAnything) {
    struct Case {
        int code;
        ChnConversion conversion;
        const char* name;
    };
    const Case cases[] = {
        {1, ChnConversion::make_chn, "a.chn"},
        {30, ChnConversion::make_chn, "a.asc"},
        {30, ChnConversion::temporary, "a.asc"},
        {30, ChnConversion::only_conversion, "a.asc"},
    };
    for (const Case& c : cases) {
        const BatchRequest batch = request(c.code, c.conversion, {c.name});
        fs.limit_file_size(0);  // the disk refuses every byte
        ui.messages.clear();
        control_writes.clear();
        const BatchReport report = run(batch);
        fs.limit_file_size(std::nullopt);
        EXPECT_TRUE(report.result_folder_unwritable) << c.name;
        EXPECT_EQ(report.converted, 0) << c.name;
        EXPECT_TRUE(control_writes.empty()) << c.name;
        EXPECT_TRUE(process.starts.empty()) << c.name;
        EXPECT_FALSE(fs.file_exists(results + "a.chn")) << c.name;
        EXPECT_FALSE(fs.file_exists(results + ".sorvane-write-check")) << c.name;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(ui.messages[0].title, "Sorvane2006");
        EXPECT_TRUE(ui.messages[0].text.starts_with("The result folder cannot be written:\r\n" +
                                                    results + "\r\n"))
            << ui.messages[0].text;
        EXPECT_TRUE(ui.messages[0].text.ends_with(
            "\r\nNothing was converted and the analysis runtime was not started."));
    }
    // A folder that takes files leaves no trace of the check.
    runtime_writes_results({"a"}, true);
    run(request(30, ChnConversion::temporary, {"a.asc"}));
    EXPECT_FALSE(fs.file_exists(results + ".sorvane-write-check"));
}

// What a watch of the runtime needs: its id, the run's start on the file clock
// (no older than the files written before the runtime started), the names it got.
TEST_F(BatchRunTest, TellsWhichRuntimeItStartedWhenAndWithWhichNames) {
    fs.add_file(results + "b.res", "an earlier result");
    const std::int64_t before = *fs.modification_time(results + "b.res");
    runtime_writes_results({});
    const BatchReport chn =
        run(request(1, ChnConversion::make_chn, {"a.chn", "B.chn", "b.CHN", "x"}));
    EXPECT_EQ(chn.runtime_id, std::optional<std::int64_t>(1));
    EXPECT_GT(chn.run_start, before);
    EXPECT_EQ(chn.handed_bases, (std::vector<std::string>{"a", "B"}));
    const BatchReport converted = run(request(30, ChnConversion::make_chn, {"c.asc", "d.asc"}));
    EXPECT_EQ(converted.runtime_id, std::optional<std::int64_t>(2));
    EXPECT_EQ(converted.handed_bases, (std::vector<std::string>{"c", "d"}));
    EXPECT_GE(converted.run_start, *fs.modification_time(results + "d.chn"));
    process.refuse_start = true;
    EXPECT_EQ(run(request(30, ChnConversion::make_chn, {"c.asc"})).runtime_id, std::nullopt);
}

TEST_F(BatchRunTest, AFailedStartIsToldAndNothingIsAwaited) {
    process.refuse_start = true;
    BatchReport report = run(request(30, ChnConversion::temporary, {"a.asc"}));
    EXPECT_FALSE(report.runtime_started);
    EXPECT_EQ(process.pauses, 0);
    EXPECT_EQ(
        ui.messages.back().text,
        "The analysis runtime could not be started:\r\nC:\\rt\\run_Tovalu.exe: cannot be started");
    EXPECT_EQ(control_writes.size(), 2u);
}

TEST_F(BatchRunTest, CancellingTheConversionStartsNothing) {
    ui.cancel_progress = true;
    BatchReport report = run(request(30, ChnConversion::temporary, {"a.asc"}));
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.converted, 0);
    EXPECT_TRUE(process.starts.empty());
    EXPECT_EQ(control_writes.size(), 2u) << "the state is still saved";
}

TEST_F(BatchRunTest, CancellingTheWaitReturnsAndKeepsTheChnFiles) {
    process.on_pause = [&] {
        fs.add_file(receipt, "1234");
        ui.cancel_progress = true;  // the user gives up while the runtime works
    };
    BatchReport report = run(request(30, ChnConversion::temporary, {"a.asc"}));
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.converted, 1);
    EXPECT_TRUE(fs.file_exists(results + "a.chn"));
    EXPECT_EQ(control_writes.size(), 2u);
}

// The side file names each converted spectrum's raw file and type, bytes as the
// runtime reads them; a run that converts nothing leaves it empty.
TEST_F(BatchRunTest, NamesTheRawFileOfEachConvertedSpectrum) {
    runtime_writes_results({"a", "b"}, true);
    fs.add_file(system_dir + "\\sorvane.inf.sources", "stale\tline\r\n");
    run(request(30, ChnConversion::make_chn, {"a.asc", "b.asc"}));
    EXPECT_EQ(fs.contents(system_dir + "\\sorvane.inf.sources"),
              "a\t30\tSimple data: Ch, Count(*.*)\tC:\\raw.asc\\a.asc\r\n"
              "b\t30\tSimple data: Ch, Count(*.*)\tC:\\raw.asc\\b.asc\r\n");
    run(request(1, ChnConversion::make_chn, {"a.chn"}));
    EXPECT_EQ(fs.contents(system_dir + "\\sorvane.inf.sources"), "");
}

}  // namespace
}  // namespace sorvane
