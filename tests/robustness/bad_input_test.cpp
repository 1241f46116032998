// Bad inputs through `sorvanecli convert` and `sorvanecli go`: each one ends with a
// message naming the file, and nothing is lost. The only files a run may write or
// delete are B.chn and B.res (with the runtime's B.res.tmp, B.svg and B.csv) of the
// selected inputs, each written beside first (".tmp") and an earlier set moved aside
// (".earlier"), the control file with its side files and the receipt, and the run log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "guarded_file_system.h"
#include "import/base_name.h"
#include "platform/dos_pattern.h"
#include "platform/real_platform.h"
#include "support/cli_run.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"
#include "support/window_state.h"

namespace sorvane {
namespace {

// Whether a path names one of the files a run over these base names may change.
bool may_change(const std::string& path, const std::vector<std::string>& base_names,
                char separator) {
    const std::string name = name_of_path(path, separator);
    for (const char* fixed :
         {"sorvane.inf", "sorvane.inf.tmp", "sorvane.inf.read", "sorvane.inf.sources",
          "sorvane.inf.sources.tmp", "sorvane.inf.aside", "sorvane.inf.aside.tmp",
          "sorvane-run.log", "sorvane-run.log.tmp", ".sorvane-write-check"}) {
        if (name == fixed) return true;
    }
    for (const std::string& base : base_names) {
        for (const char* extension : {".chn", ".chn.tmp", ".res", ".res.tmp", ".svg", ".csv",
                                      ".res.earlier", ".svg.earlier", ".csv.earlier"}) {
            if (equal_ignoring_case(name, base + extension)) return true;
        }
    }
    return false;
}

void expect_only_allowed_changes(const GuardedFileSystem& fs,
                                 const std::vector<std::string>& base_names) {
    for (const std::string& path : fs.touched) {
        EXPECT_TRUE(may_change(path, base_names, fs.separator())) << "changed " << path;
    }
}

// ---- sorvanecli convert on an in-memory disk ----------------------------------

std::string simple_spectrum() {
    return crlf_lines({"0, 100", "1, 110", "2, 7", "3, 9", "4, 11"});
}

std::string garbage() {
    std::string bytes;
    for (int i = 0; i < 2000; ++i) bytes += static_cast<char>((i * 37 + 11) % 256);
    return bytes;
}

struct BadFile {
    const char* case_name;
    const char* type;
    const char* file_name;
    std::string (*bytes)();
};

const BadFile bad_files[] = {
    {"EmptySimple", "simple", "e.asc", [] { return std::string(); }},
    {"EmptyRms", "rms", "e.rms", [] { return std::string(); }},
    {"EmptyIec", "iec", "e.iec", [] { return std::string(); }},
    {"EmptyOxfordWin", "oxford-win", "e.asc", [] { return std::string(); }},
    {"EmptyOxfordDos", "oxford-dos", "e.asc", [] { return std::string(); }},
    {"EmptyOxfordMac", "oxford-mac", "emac", [] { return std::string(); }},
    {"EmptyLabo", "labo", "e.dat", [] { return std::string(); }},
    {"EmptyLaboV154", "labo-v154", "e.dat", [] { return std::string(); }},
    {"EmptyCanberra35", "canberra35", "e.txt", [] { return std::string(); }},
    {"EmptyNaig", "naig", "e.txt", [] { return std::string(); }},
    {"GarbageSimple", "simple", "g.asc", garbage},
    {"GarbageRms", "rms", "g.rms", garbage},
    {"GarbageIec", "iec", "g.iec", garbage},
    {"GarbageOxfordWin", "oxford-win", "g.asc", garbage},
    {"GarbageOxfordDos", "oxford-dos", "g.asc", garbage},
    {"GarbageCanberra35", "canberra35", "g.txt", garbage},
    {"GarbageNaig", "naig", "g.txt", garbage},
    {"MegabyteLineOfLetters", "simple", "long.asc",
     [] { return std::string(1 << 20, 'x') + "\r\n"; }},
    {"CountOfTenToTheTwelve", "simple", "big.asc",
     [] {
         return crlf_lines({"0, 1000000000000", "1, 5"});
     }},
    {"NegativeChannel", "simple", "neg.asc",
     [] {
         return crlf_lines({"-5, 100", "1, 5"});
     }},
    {"ChannelBeyondTheRecord", "simple", "far.asc",
     [] {
         return crlf_lines({"0, 1", "1000000, 5"});
     }},
};

class ConvertBadFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(ConvertBadFile, IsRefusedWithItsNameAndLeavesNoChn) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    const std::string path = std::string("/raw/") + GetParam().file_name;
    const std::string bytes = GetParam().bytes();
    memory.add_file(path, bytes);
    memory.add_folder("/out");
    GuardedFileSystem fs(memory);
    const CliRun run = run_cli(fs, {"convert", "--type", GetParam().type, "--out", "/out", path});
    EXPECT_NE(run.status, 0) << run.out;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    EXPECT_TRUE(fs.changes.empty()) << fs.changes.front();
    EXPECT_EQ(memory.contents(path), bytes) << "the input is kept as it was";
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConvertBadFile, ::testing::ValuesIn(bad_files),
                         [](const auto& info) { return std::string(info.param.case_name); });

// A megabyte of digits and blanks on one line is still one readable spectrum line.
TEST(ConvertLongLine, AMegabyteLineOfBlanksIsReadOrRefusedWithItsName) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    memory.add_file("/raw/wide.asc", "0," + std::string(1 << 20, ' ') + "7\r\n1, 5\r\n");
    GuardedFileSystem fs(memory);
    const CliRun run = run_cli(fs, {"convert", "--type", "simple", "/raw/wide.asc"});
    if (run.status == 0) {
        EXPECT_TRUE(memory.file_exists("/raw/wide.chn"));
    } else {
        EXPECT_NE(run.err.find("/raw/wide.asc"), std::string::npos) << run.err;
    }
    expect_only_allowed_changes(fs, {"wide"});
}

struct Fixture {
    const char* type;
    const char* file_name;
    const char* data_path;  // under tests/data, or nullptr for the simple spectrum above
};

class ConvertTruncated : public ::testing::TestWithParam<Fixture> {};

// Every shorter length of a small good file: converted or refused with the file's
// name, never anything else written, never a crash.
TEST_P(ConvertTruncated, EveryLengthIsConvertedOrRefusedByName) {
    const std::string whole =
        GetParam().data_path ? test_data(GetParam().data_path) : simple_spectrum();
    ASSERT_LT(whole.size(), 20000u) << "a small fixture keeps this test short";
    const std::string path = std::string("/raw/") + GetParam().file_name;
    const std::string chn = "/raw/" + base_name_of(GetParam().file_name) + ".chn";
    int refused = 0;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
        memory.add_file(path, whole.substr(0, length));
        GuardedFileSystem fs(memory);
        const CliRun run = run_cli(fs, {"convert", "--type", GetParam().type, path});
        ASSERT_TRUE(run.status == 0 || run.status == 1) << length;
        if (run.status != 0) {
            ++refused;
            ASSERT_NE(run.err.find(path), std::string::npos) << length << ": " << run.err;
            ASSERT_FALSE(memory.file_exists(chn)) << length;
        } else {
            ASSERT_TRUE(memory.file_exists(chn)) << length;
        }
        // The CHN file is written beside, then renamed into place; nothing else.
        const std::vector<std::string> written{"write " + chn + ".tmp",
                                               "rename " + chn + ".tmp -> " + chn};
        if (!fs.changes.empty()) {
            ASSERT_EQ(fs.changes, written) << length;
        }
    }
    EXPECT_GT(refused, 0) << "the empty file at least is refused";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ConvertTruncated,
                         ::testing::Values(Fixture{"simple", "t.asc", nullptr},
                                           Fixture{"canberra35", "t.txt",
                                                   "canberra35/two_rows.txt"},
                                           Fixture{"rms", "t.rms", "rms/ba133_short.rms"}),
                         [](const auto& info) { return std::string(info.param.type); });

TEST(ConvertDisk, AFullDiskIsReportedWithTheChnNameAndLeavesNoPartialFile) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    memory.add_file("/raw/a.asc", simple_spectrum());
    memory.add_folder("/out");
    memory.limit_file_size(100);
    GuardedFileSystem fs(memory);
    const CliRun run = run_cli(fs, {"convert", "--type", "simple", "--out", "/out", "/raw/a.asc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/out/a.chn"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_FALSE(memory.file_exists("/out/a.chn"));
    EXPECT_EQ(memory.contents("/raw/a.asc"), simple_spectrum());
}

TEST(ConvertDisk, AReadOnlyResultFolderIsReportedAndTheOldChnStays) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    memory.add_file("/raw/a.asc", simple_spectrum());
    memory.add_file("/out/a.chn", "an older result");
    GuardedFileSystem fs(memory);
    fs.read_only_folder = "/out/";
    const CliRun run = run_cli(fs, {"convert", "--type", "simple", "--out", "/out", "/raw/a.asc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/out/a.chn"), std::string::npos) << run.err;
    EXPECT_EQ(memory.contents("/out/a.chn"), "an older result");
}

TEST(ConvertDisk, AResultFolderThatVanishesPartWayStopsOnlyTheFilesAfterIt) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    memory.add_file("/raw/a.asc", simple_spectrum());
    memory.add_file("/raw/b.asc", simple_spectrum());
    memory.add_folder("/out");
    GuardedFileSystem fs(memory);
    // Once a.chn is in place (written beside, then renamed), the folder goes.
    fs.after_write = [&](const std::string& path) {
        if (path == "/out/b.chn.tmp") fs.vanished_folder = "/out/";
    };
    const CliRun run =
        run_cli(fs, {"convert", "--type", "simple", "--out", "/out", "/raw/a.asc", "/raw/b.asc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/raw/b.asc"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("/out/: folder does not exist"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("/raw/a.asc"), std::string::npos) << run.err;
    EXPECT_EQ(memory.contents("/out/a.chn").has_value(), true);
    EXPECT_EQ(fs.changes, (std::vector<std::string>{"write /out/a.chn.tmp",
                                                    "rename /out/a.chn.tmp -> /out/a.chn",
                                                    "write /out/b.chn.tmp"}));
}

TEST(ConvertNames, BlanksQuotesAndNonAsciiBytesAreKept) {
    MemoryFileSystem memory(MemoryFileSystem::Flavour::posix);
    const std::string good = "/raw/my \"best\" caf\xC3\xA9 spectrum.asc";
    const std::string bad = "/raw/it's \xE9 empty.asc";
    memory.add_file(good, simple_spectrum());
    memory.add_file(bad, "");
    GuardedFileSystem fs(memory);
    const CliRun run = run_cli(fs, {"convert", "--type", "simple", good, bad});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(memory.file_exists("/raw/my \"best\" caf\xC3\xA9 spectrum.chn"));
    EXPECT_NE(run.err.find(bad), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(good), std::string::npos) << run.err;
    expect_only_allowed_changes(fs, {"my \"best\" caf\xC3\xA9 spectrum", "it's \xE9 empty"});
}

// ---- sorvanecli go on the real disk with a stand-in runtime ------------------

namespace stdfs = std::filesystem;

// Every file under a folder with its bytes, to tell what a run changed. Listed
// through the program's own FileSystem, so names are the same bytes it uses.
void add_snapshot(const FileSystem& fs, const std::string& folder,
                  std::map<std::string, std::string>& files) {
    for (const FolderEntry& file : fs.list_files(folder, "*.*")) {
        std::string bytes;
        fs.read_file(folder + file.name, bytes);
        files[folder + file.name] = bytes;
    }
    for (const FolderEntry& sub : fs.list_folders(folder)) {
        add_snapshot(fs, folder + sub.name + fs.separator(), files);
    }
}

std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    RealFileSystem fs;
    add_snapshot(fs, folder, files);
    return files;
}

class GoBadInput : public ::testing::Test {
protected:
    TempFolder temp;
    RealFileSystem disk;
    const char s = disk.separator();
    const std::string top = temp.path() + "with blank" + s;
    const std::string raw = top + "raw data" + s;
    const std::string res = top + "res" + s;
    const std::string sys = top + "sys dir";
    GuardedFileSystem files{disk};

    void SetUp() override {
        for (const std::string& folder : {raw, res, sys + s, top + "rt" + s})
            stdfs::create_directories(folder);
        stdfs::copy_file(TEST_RUNTIME, top + "rt" + s + "run_Tovalu.exe");
        add_raw("a.asc", crlf_lines({"0, 10", "1, 11", "2, 5", "3, 6"}));
    }

    void add_raw(const std::string& name, const std::string& bytes) {
        std::ofstream(raw + name, std::ios::binary) << bytes;
    }

    void save_window_state() { sorvane::save_window_state(disk, sys, top + "rt" + s, raw, res); }

    CliRun go(const std::vector<std::string>& names = {}) {
        std::vector<std::string> args = {"go", "--system-dir", sys};
        args.insert(args.end(), names.begin(), names.end());
        return run_cli(files, args);
    }

    // Every input kept, and only the files of these base names changed.
    void expect_nothing_lost(const std::map<std::string, std::string>& before,
                             const std::vector<std::string>& base_names) {
        const std::map<std::string, std::string> after = snapshot(temp.path());
        for (const auto& [path, bytes] : before) {
            const bool allowed = may_change(path, base_names, disk.separator());
            if (!allowed) {
                ASSERT_TRUE(after.count(path)) << "lost " << path;
                EXPECT_EQ(after.at(path), bytes) << "changed " << path;
            }
        }
        for (const auto& [path, bytes] : after) {
            EXPECT_TRUE(before.count(path) || may_change(path, base_names, disk.separator()))
                << "new " << path;
        }
        expect_only_allowed_changes(files, base_names);
    }
};

TEST_F(GoBadInput, EmptyAndGarbageFilesAreNamedAndTheGoodOneStillRuns) {
    add_raw("empty.asc", "");
    add_raw("junk.asc", garbage());
    save_window_state();
    const auto before = snapshot(temp.path());
    const CliRun run = go();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("empty.asc"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("junk.asc"), std::string::npos) << run.err;
    EXPECT_TRUE(stdfs::exists(res + "a.res"));
    EXPECT_FALSE(stdfs::exists(res + "empty.chn"));
    expect_nothing_lost(before, {"a", "empty", "junk"});
}

// Windows file names cannot hold a double quote; the other odd characters stay.
#ifdef _WIN32
constexpr const char* odd_base = "it's 'x' caf\xC3\xA9";
#else
constexpr const char* odd_base = "it's \"x\" caf\xC3\xA9";
#endif

TEST_F(GoBadInput, NamesWithBlanksQuotesAndNonAsciiBytesRun) {
    add_raw(std::string(odd_base) + ".asc", crlf_lines({"0, 10", "1, 11", "2, 5", "3, 6"}));
    save_window_state();
    const auto before = snapshot(temp.path());
    const CliRun run = go();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(stdfs::exists(res + odd_base + ".res"));
    expect_nothing_lost(before, {"a", odd_base});
}

TEST_F(GoBadInput, ARawFolderThatVanishedIsNamed) {
    save_window_state();
    const auto before = snapshot(temp.path());
    files.vanished_folder = raw;
    const CliRun run = go();
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("raw data"), std::string::npos) << run.err;
    expect_nothing_lost(before, {});
}

TEST_F(GoBadInput, ARawFolderThatVanishesDuringTheRunStopsTheFilesAfterIt) {
    add_raw("b.asc", crlf_lines({"0, 10", "1, 11"}));
    save_window_state();
    const auto before = snapshot(temp.path());
    files.after_write = [&](const std::string& path) {
        if (path.size() >= 5 && path.substr(path.size() - 5) == "a.chn")
            files.vanished_folder = raw;
    };
    const CliRun run = go();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("b.asc"), std::string::npos) << run.err;
    EXPECT_TRUE(stdfs::exists(res + "a.res"));
    expect_nothing_lost(before, {"a", "b"});
}

TEST_F(GoBadInput, AReadOnlyResultFolderIsNamedAndNothingIsLost) {
    std::ofstream(res + "a.res", std::ios::binary) << "an older result";
    save_window_state();
    const auto before = snapshot(temp.path());
    files.read_only_folder = res;
    const CliRun run = go();
    EXPECT_EQ(run.status, 1);
    // Named once, before anything is converted; nothing else is tried.
    // The console prints the message on one line.
    EXPECT_NE(run.err.find("The result folder cannot be written: " + res), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find(res + "a."), std::string::npos) << run.err;
    expect_nothing_lost(before, {"a"});
}

TEST_F(GoBadInput, AFullDiskIsNamedAndTheControlFileStaysWhole) {
    save_window_state();
    const auto before = snapshot(temp.path());
    files.free_bytes = 100;  // less than a CHN file or a control file
    const CliRun run = go();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_EQ(snapshot(temp.path()).at(sys + s + "sorvane.inf"), before.at(sys + s + "sorvane.inf"))
        << "the old control file is kept whole";
    EXPECT_FALSE(stdfs::exists(res + "a.chn"));
    expect_nothing_lost(before, {"a"});
}

TEST_F(GoBadInput, AControlFileThatCannotBeWrittenLeavesTheOldOneWhole) {
    save_window_state();
    const auto before = snapshot(temp.path());
    files.read_only_folder = sys;
    const CliRun run = go();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("sorvane.inf"), std::string::npos) << run.err;
    expect_nothing_lost(before, {"a"});
    EXPECT_EQ(snapshot(temp.path()).at(sys + s + "sorvane.inf"),
              before.at(sys + s + "sorvane.inf"));
}

}  // namespace
}  // namespace sorvane
