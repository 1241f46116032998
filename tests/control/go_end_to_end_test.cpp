// "GO" end to end: real folders, the real process start and a stand-in runtime
// that reads the control file and writes the results.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "control/command1.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "platform/real_platform.h"
#include "support/raw_texts.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

constexpr int chn_position = 0;
constexpr int oxford_mac_position = 5;
constexpr int simple_position = 10;
enum Conversion { make_chn = 0, temporary = 1, only_conversion = 2 };

class Go : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string raw = temp.path() + "raw.asc/";  // any name passes the ".asc" test
    const std::string res = temp.path() + "res/";
    const std::string sys = temp.path() + "sys";
    RealFileSystem files;
    RealProcess process;
    ScriptedUi ui;
    Form1 form;
    AnalysisSettings settings;
    Spectrum spectrum;

    void SetUp() override {
        for (const std::string& folder : {raw, res, sys + "/", temp.path() + "rt/"})
            fs::create_directories(folder);
        fs::copy_file(TEST_RUNTIME, temp.path() + "rt/run_Tovalu.exe");
        settings.system_dir = sys;
        settings.run_time_dir = temp.path() + "rt/";
        fill_type_list(form, files);
        set_default(form);
        show_folder_in_field(form.Text9[0], raw);
        show_folder_in_field(form.Text9[1], res);
    }

    void add_raw(const std::string& name, const std::string& bytes) {
        std::ofstream(raw + name, std::ios::binary) << bytes;
    }
    void runtime_behaves(const std::string& lines) {
        std::ofstream(sys + "/test_runtime.cfg") << lines;
    }

    // Lists the raw folder for the type and selects the named entries.
    void choose(int position, Conversion conversion, const std::vector<std::string>& names) {
        set_file_list_folder(form.File1[0], raw, files);
        select_type_position(form, position, files);
        select_option(form, OptionGroup::Option8, conversion);
        FileListBox& list = form.File1[0];
        for (std::size_t entry = 0; entry < list.count(); ++entry) {
            for (const std::string& name : names) {
                if (list.entries[entry] == name) list.set_selected(entry, true);
            }
        }
        ASSERT_EQ(list.selected_names().size(), names.size());
    }

    BatchReport go() {
        std::optional<BatchReport> report =
            Command1_Click(form, settings, spectrum, files, process, ui);
        EXPECT_TRUE(report.has_value());
        EXPECT_EQ(ui.pointer(), Pointer::normal);
        return report.value_or(BatchReport{});
    }

    // A runtime that was not awaited finishes on its own; look for its result a while.
    bool appears(const std::string& path) {
        for (int look = 0; look < 500; ++look) {
            if (fs::exists(path)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::string control_file() { return read_text(sys + "/sorvane.inf"); }
};

TEST_F(Go, ChnInputConvertsNothingAndTheRuntimeReadsTheRawFolder) {
    for (const char* name : {"a.chn", "b.chn", "c.chn"}) add_raw(name, "chn bytes");
    choose(chn_position, temporary, {"a.chn", "b.chn", "c.chn"});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 0);
    EXPECT_TRUE(report.runtime_started);
    EXPECT_NE(control_file().find("\r\n" + raw + "\r\n"), std::string::npos);
    EXPECT_NE(control_file().find("[file name]\r\na\r\nb\r\nc\r\n"), std::string::npos);
    ASSERT_TRUE(appears(res + "c.res"));
    EXPECT_EQ(read_text(res + "a.res"), "read " + raw + "a.chn: 9 bytes\r\n");
    EXPECT_FALSE(fs::exists(res + "a.chn"));
}

TEST_F(Go, TemporaryChnFilesGoAndEveryResultIsThereWhenGoReturns) {
    add_raw("a.asc", simple_spectrum());
    add_raw("b.asc", simple_spectrum());
    std::ofstream(res + "a.res") << "stale";
    choose(simple_position, temporary, {"a.asc", "b.asc"});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 2);
    // The runtime read each fresh CHN file (1024 channels) from the result folder.
    EXPECT_EQ(read_text(res + "a.res"), "read " + res + "a.chn: 4644 bytes\r\n");
    EXPECT_TRUE(fs::exists(res + "b.res"));
    EXPECT_FALSE(fs::exists(res + "a.chn"));
    EXPECT_FALSE(fs::exists(res + "b.chn"));
    EXPECT_NE(control_file().find("\r\n" + raw + "\r\n"), std::string::npos)
        << "raw folder restored";
}

TEST_F(Go, MakeChnKeepsTheChnFilesAndDoesNotWait) {
    add_raw("a.asc", simple_spectrum());
    runtime_behaves("result_delay_ms=300\n");
    choose(simple_position, make_chn, {"a.asc"});
    BatchReport report = go();
    EXPECT_TRUE(report.runtime_started);
    EXPECT_FALSE(fs::exists(res + "a.res")) << "GO returned before the result";
    EXPECT_TRUE(fs::exists(res + "a.chn"));
    EXPECT_TRUE(appears(res + "a.res"));
}

TEST_F(Go, OnlyConversionWritesChnFilesAndStartsNothing) {
    add_raw("a.asc", simple_spectrum());
    choose(simple_position, only_conversion, {"a.asc"});
    BatchReport report = go();
    EXPECT_FALSE(report.runtime_started);
    EXPECT_EQ(fs::file_size(res + "a.chn"), 4644u);
    EXPECT_FALSE(fs::exists(sys + "/sorvane.inf.read"));
    EXPECT_NE(control_file().find("[file name]\r\na\r\n"), std::string::npos);
}

TEST_F(Go, NothingSelectedEndsAtOnce) {
    add_raw("a.asc", simple_spectrum());
    choose(simple_position, temporary, {});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 0);
}

TEST_F(Go, ANameWithoutAnExtensionLosesItsLastFourCharacters) {
    add_raw("spectrum", test_data("oxford/soil_mac"));
    choose(oxford_mac_position, temporary, {"spectrum"});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 1) << (report.failures.empty() ? "" : report.failures[0].reason);
    EXPECT_TRUE(fs::exists(res + "spec.res"));
    EXPECT_FALSE(fs::exists(res + "spec.chn"));
}

TEST_F(Go, TwoEntriesWithOneBaseNameStillEndTheWait) {
    add_raw("a.asc", simple_spectrum());
    add_raw("a.dat", simple_spectrum());
    choose(simple_position, temporary, {"a.asc", "a.dat"});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 1);
    EXPECT_TRUE(report.missing_results.empty());
    EXPECT_TRUE(fs::exists(res + "a.res"));
}

TEST_F(Go, ARuntimeThatLeavesOutAResultEndsTheWaitWithAMessage) {
    add_raw("a.asc", simple_spectrum());
    add_raw("b.asc", simple_spectrum());
    runtime_behaves("skip=b\n");
    choose(simple_position, temporary, {"a.asc", "b.asc"});
    BatchReport report = go();
    EXPECT_EQ(report.missing_results, (std::vector<std::string>{"b"}));
    EXPECT_EQ(ui.messages.back().text,
              "The analysis runtime has ended without writing these results:\r\n" + res + "b.res");
}

TEST_F(Go, ASlowRuntimeStillSeesTheResultFolderAsItsInput) {
    add_raw("a.asc", simple_spectrum());
    runtime_behaves("receipt_delay_ms=400\n");
    choose(simple_position, make_chn, {"a.asc"});
    go();
    ASSERT_TRUE(appears(res + "a.res"));
    EXPECT_EQ(read_text(res + "a.res"), "read " + res + "a.chn: 4644 bytes\r\n");
}

TEST_F(Go, AFailedReadAmongGoodFilesIsListedAndTheOthersGoOn) {
    add_raw("bad.asc", "no spectrum\r\n");
    add_raw("good.asc", simple_spectrum());
    choose(simple_position, temporary, {"bad.asc", "good.asc"});
    BatchReport report = go();
    EXPECT_EQ(report.converted, 1);
    EXPECT_TRUE(fs::exists(res + "good.res"));
    EXPECT_FALSE(fs::exists(res + "bad.chn"));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(ui.messages.back().text,
              "These files were not converted:\r\nbad.asc: not read: no four consecutive channel "
              "numbers");
}

TEST_F(Go, InvalidSettingsStopBeforeAnythingHappens) {
    add_raw("a.asc", simple_spectrum());
    choose(simple_position, temporary, {"a.asc"});
    fs::remove(temp.path() + "rt/run_Tovalu.exe");
    std::optional<BatchReport> report =
        Command1_Click(form, settings, spectrum, files, process, ui);
    EXPECT_FALSE(report);
    EXPECT_TRUE(ui.pointers.empty()) << "the pointer was never changed";
    EXPECT_FALSE(fs::exists(res + "a.chn"));
    EXPECT_EQ(ui.messages.back().title, "OPTION error");
}

}  // namespace
}  // namespace sorvane
