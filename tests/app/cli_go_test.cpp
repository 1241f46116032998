// sorvanecli go: the saved state of the window run without it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli.h"
#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "platform/real_platform.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

class CliGo : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string raw = temp.path() + "raw.asc/";
    const std::string res = temp.path() + "res/";
    const std::string sys = temp.path() + "sys";
    RealFileSystem files;

    void SetUp() override {
        for (const std::string& folder : {raw, res, sys + "/", temp.path() + "rt/"})
            fs::create_directories(folder);
        fs::copy_file(TEST_RUNTIME, temp.path() + "rt/run_Tovalu.exe");
        for (const char* name : {"a.asc", "b.asc"}) {
            std::ofstream(raw + name, std::ios::binary)
                << crlf_lines({"0, 10", "1, 11", "2, 5", "3, 6"});
        }
    }

    // What the window saves: "Simple data", temporary CHN files, these folders.
    void save_window_state(bool manual_peaks = false) {
        Form1 form;
        AnalysisSettings settings;
        ScriptedUi ui;
        settings.system_dir = sys;
        settings.run_time_dir = temp.path() + "rt/";
        fill_type_list(form, files);
        set_default(form);
        select_type_position(form, 10, files);
        select_option(form, OptionGroup::Option8, 1);
        if (manual_peaks) select_option(form, OptionGroup::Option1, 1);
        show_folder_in_field(form.Text9[0], raw);
        show_folder_in_field(form.Text9[1], res);
        ASSERT_EQ(collect_settings(form, settings, files, ui, true), 0);
        ASSERT_TRUE(write_control_file(form, settings, run_file_path(settings, files), files, ui));
    }

    int go(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
        args.insert(args.begin(), {"go", "--system-dir", sys});
        std::ostringstream out_stream, err_stream;
        int status = run_sorvanecli(args, files, out_stream, err_stream);
        if (out) *out = out_stream.str();
        if (err) *err = err_stream.str();
        return status;
    }
};

TEST_F(CliGo, RunsEveryMatchingFileOfTheSavedRawFolder) {
    save_window_state();
    std::string out, err;
    EXPECT_EQ(go({}, &out, &err), 0) << err;
    EXPECT_NE(out.find("converted 2 files; the analysis runtime was started"), std::string::npos)
        << out;
    EXPECT_TRUE(fs::exists(res + "a.res"));
    EXPECT_TRUE(fs::exists(res + "b.res"));
    EXPECT_FALSE(fs::exists(res + "a.chn")) << "temporary CHN files are removed";
    EXPECT_NE(err.find("converting 1 of 2"), std::string::npos) << "progress goes to stderr";
}

TEST_F(CliGo, RunsOnlyTheNamedFiles) {
    save_window_state();
    EXPECT_EQ(go({"b.asc"}), 0);
    EXPECT_TRUE(fs::exists(res + "b.res"));
    EXPECT_FALSE(fs::exists(res + "a.res"));
}

TEST_F(CliGo, FailuresAreLinesOnStderrAndANonZeroStatus) {
    std::string err;
    EXPECT_EQ(go({}, nullptr, &err), 1);
    EXPECT_NE(err.find(sys + "/sorvane.inf: no control file"), std::string::npos) << err;

    save_window_state();
    EXPECT_EQ(go({"c.asc"}, nullptr, &err), 1);
    EXPECT_NE(err.find("c.asc: not among the files"), std::string::npos) << err;

    std::ofstream(raw + "bad.asc") << "no spectrum\r\n";
    EXPECT_EQ(go({"bad.asc", "a.asc"}, nullptr, &err), 1);
    EXPECT_NE(err.find("File does not read."), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(res + "a.res")) << "the good file still ran";
}

TEST_F(CliGo, ManualPeakSearchWithoutAListEndsTheEntry) {
    save_window_state(true);
    std::string err;
    // Nobody answers "How many peak(s)? max=10": the entry ends instead of asking again.
    EXPECT_NE(go({}, nullptr, &err), 0);
    EXPECT_NE(err.find("Manual PK ch is not set."), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(res + "a.res"));
}

}  // namespace
}  // namespace sorvane
