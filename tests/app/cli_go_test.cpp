// sorvanecli go: the saved state of the window run without it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli.h"
#include "platform/real_platform.h"
#include "support/test_files.h"
#include "support/window_state.h"

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

    void save_window_state(bool manual_peaks = false) {
        sorvane::save_window_state(files, sys, temp.path() + "rt/", raw, res, manual_peaks);
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
