#include "app/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/real_platform.h"
#include "support/cli_run.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

std::string simple_spectrum() {
    return crlf_lines({"0, 100", "1, 110", "2, 7", "3, 9", "4, 11"});
}

class Convert : public ::testing::Test {
protected:
    MemoryFileSystem fs{MemoryFileSystem::Flavour::posix};
    void SetUp() override {
        fs.add_file("/raw/one.asc", simple_spectrum());
        fs.add_file("/raw/two.ASC", simple_spectrum());
        fs.add_file("/raw/bad.asc", "not a spectrum\r\n");
        fs.add_folder("/out");
    }
};

TEST_F(Convert, WritesBaseNameDotChnIntoTheOutputFolder) {
    CliRun result =
        run_cli(fs, {"convert", "--type", "30", "--out", "/out", "/raw/one.asc", "/raw/two.ASC"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    EXPECT_NE(result.out.find("converted 2 of 2 files"), std::string::npos) << result.out;
    ASSERT_TRUE(fs.contents("/out/one.chn"));
    EXPECT_EQ(fs.contents("/out/one.chn")->size(), 32u + 4u * 1024u + 516u);
    EXPECT_TRUE(fs.file_exists("/out/two.chn"));
}

TEST_F(Convert, WithoutOutTheChnFileGoesBesideTheRawFile) {
    CliRun result = run_cli(fs, {"convert", "--type", "simple", "/raw/one.asc"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs.file_exists("/raw/one.chn"));
}

TEST_F(Convert, EachFailureIsOneLineAndTheStatusIsNonZero) {
    CliRun result = run_cli(fs, {"convert", "--type", "simple", "--out", "/out", "/raw/one.asc",
                                 "/raw/bad.asc", "/nowhere/x.asc", "/raw/abc"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("converted 1 of 4 files; 3 not converted"), std::string::npos)
        << result.out;
    std::istringstream lines(result.err);
    std::vector<std::string> errors;
    for (std::string line; std::getline(lines, line);) errors.push_back(line);
    ASSERT_EQ(errors.size(), 3u) << result.err;
    EXPECT_NE(errors[0].find("/raw/bad.asc: not read: no four consecutive channel numbers"),
              std::string::npos);
    EXPECT_NE(errors[1].find("/nowhere/x.asc: not read:"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("/raw/abc: the name is too short"), std::string::npos) << errors[2];
    EXPECT_FALSE(fs.file_exists("/out/bad.chn"));
}

TEST_F(Convert, NeverOverwritesAnInputOrAnEarlierOutputOfTheSameRun) {
    fs.add_file("/raw/dup.asc", simple_spectrum());
    fs.add_file("/raw/sub/dup.asc", simple_spectrum());
    CliRun result = run_cli(
        fs, {"convert", "--type", "simple", "--out", "/out", "/raw/dup.asc", "/raw/sub/dup.asc"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("already written from another file"), std::string::npos)
        << result.err;

    // A "Simple data" file inside a folder named like x.asc, whose name ends in .chn.
    fs.add_file("/d.asc/keep.chn", simple_spectrum());
    result = run_cli(fs, {"convert", "--type", "simple", "/d.asc/keep.chn"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("would replace the input"), std::string::npos) << result.err;
    EXPECT_EQ(fs.contents("/d.asc/keep.chn"), simple_spectrum());
}

TEST_F(Convert, ChnInputAndBadArgumentsAreExplained) {
    CliRun chn = run_cli(fs, {"convert", "--type", "1", "/raw/one.asc"});
    EXPECT_EQ(chn.status, 0);
    EXPECT_NE(chn.out.find("CHN files already; nothing converted"), std::string::npos) << chn.out;
    EXPECT_FALSE(fs.file_exists("/raw/one.chn"));

    CliRun unknown = run_cli(fs, {"convert", "--type", "mp3", "/raw/one.asc"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown file type \"mp3\""), std::string::npos);
    EXPECT_NE(unknown.err.find("simple"), std::string::npos) << "the known types are listed";

    EXPECT_EQ(run_cli(fs, {"convert", "--type", "simple"}).status, 2);
    EXPECT_EQ(
        run_cli(fs, {"convert", "--type", "simple", "--out", "/missing", "/raw/one.asc"}).status,
        1);
    EXPECT_EQ(run_cli(fs, {"frobnicate"}).status, 2);
    EXPECT_EQ(run_cli(fs, {}).status, 2);
}

TEST(Show, SummarisesAChnFile) {
    RealFileSystem fs;
    CliRun result = run_cli(fs, {"show", test_data_path("realdata/chn/Alcatraz14.CHN")});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* part : {"published CHN", "channels:     8192", "\"17Sep121\" \"134107\"",
                             "real time:    905.42 s", "total 132978, highest 296 at channel 43",
                             "Description: Alcatraz14"}) {
        EXPECT_NE(result.out.find(part), std::string::npos) << part << "\n" << result.out;
    }
}

TEST(Show, RefusesAFileThatIsNoChnFile) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/x.chn", "hello");
    CliRun result = run_cli(fs, {"show", "/x.chn"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("/x.chn: not a CHN file"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace sorvane
