// The Win32 side of the platform layer, run under Windows or Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "platform/system_folder.h"
#include "platform/win32_file_system.h"
#include "platform/win32_process.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// FILETIME counts 100 ns steps since 1601-01-01; 1970-01-01 is 11 644 473 600 s later.
TEST(Win32FileTime, CountsFromTheUnixEpoch) {
    EXPECT_EQ(unix_seconds_of_file_time(116'444'736'000'000'000ULL), 0);
    EXPECT_EQ(unix_seconds_of_file_time(116'444'736'000'000'000ULL + 864'000'000'000ULL), 86'400);
    // 2001-05-14 00:00:00 UTC is 989 798 400 s after 1970.
    EXPECT_EQ(unix_seconds_of_file_time(126'342'720'000'000'000ULL), 989'798'400);
    // A part of a second does not round up.
    EXPECT_EQ(unix_seconds_of_file_time(116'444'736'009'999'999ULL), 0);
}

TEST(Win32Drives, TheDriveStringListIsSplitAtEachNul) {
    using namespace std::string_view_literals;
    EXPECT_EQ(split_drive_strings("C:\\\0D:\\\0Z:\\\0\0"sv),
              (std::vector<std::string>{"C:\\", "D:\\", "Z:\\"}));
    EXPECT_EQ(split_drive_strings("C:\\\0"sv), (std::vector<std::string>{"C:\\"}));
    EXPECT_TRUE(split_drive_strings(""sv).empty());
}

TEST(Win32Drives, TheMachinesDrivesIncludeC) {
    const std::vector<std::string> roots = Win32FileSystem().drive_roots();
    ASSERT_FALSE(roots.empty());
    for (const std::string& root : roots) {
        ASSERT_EQ(root.size(), 3u) << root;
        EXPECT_EQ(root.substr(1), ":\\") << root;
    }
    EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
}

struct CommandLineCase {
    const char* argument;
    const char* expected;  // after the quoted program
};

class Win32CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(Win32CommandLine, TheArgumentIsQuotedWhenItHoldsABlank) {
    const std::string program = "C:\\Program Files\\Sorvane\\run_Tovalu.exe";
    EXPECT_EQ(windows_command_line(program, GetParam().argument),
              "\"C:\\Program Files\\Sorvane\\run_Tovalu.exe\" " + std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Win32CommandLine,
    ::testing::Values(CommandLineCase{"C:\\Users\\ab\\AppData\\Roaming\\Sorvane",
                                      "C:\\Users\\ab\\AppData\\Roaming\\Sorvane"},
                      CommandLineCase{"C:\\Users\\A B\\AppData\\Roaming\\Sorvane",
                                      "\"C:\\Users\\A B\\AppData\\Roaming\\Sorvane\""},
                      // A closing quote after a backslash would be taken as a quote.
                      CommandLineCase{"C:\\A B\\", "\"C:\\A B\\\\\""},
                      CommandLineCase{"tab\there", "\"tab\there\""}, CommandLineCase{"", "\"\""}));

TEST(Win32FileSystem, HiddenAndSystemFilesAreLeftOutOfFileListsNotFolderLists) {
    TempFolder temp;
    Win32FileSystem fs;
    for (const char* name : {"shown.chn", "hidden.chn", "system.chn"}) {
        ASSERT_TRUE(fs.write_file(temp.path() + name, "x").ok());
    }
    ASSERT_TRUE(SetFileAttributesA((temp.path() + "hidden.chn").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((temp.path() + "system.chn").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(fs.create_folder(temp.path() + "seen").ok());
    ASSERT_TRUE(fs.create_folder(temp.path() + "secret").ok());
    ASSERT_TRUE(SetFileAttributesA((temp.path() + "secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(fs.create_folder(temp.path() + "system").ok());
    ASSERT_TRUE(SetFileAttributesA((temp.path() + "system").c_str(), FILE_ATTRIBUTE_SYSTEM));

    const std::vector<FolderEntry> files = fs.list_files(temp.path(), "*.chn");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "shown.chn");
    // Folder trees list hidden and system folders like any other.
    const std::vector<FolderEntry> folders = fs.list_folders(temp.path());
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0].name, "secret");
    EXPECT_EQ(folders[1].name, "seen");
    EXPECT_EQ(folders[2].name, "system");
    // Hidden files are still there to be read by name.
    EXPECT_TRUE(fs.file_exists(temp.path() + "hidden.chn"));
    SetFileAttributesA((temp.path() + "hidden.chn").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((temp.path() + "system.chn").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileSystem, TheModificationTimeIsTheFilesLastWriteTime) {
    TempFolder temp;
    Win32FileSystem fs;
    const std::string path = temp.path() + "a.chn";
    ASSERT_TRUE(fs.write_file(path, "x").ok());
    {
        const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::uint64_t stamp = 126'342'720'000'000'000ULL;  // 2001-05-14 00:00:00 UTC
        FILETIME time{static_cast<DWORD>(stamp & 0xFFFFFFFFu), static_cast<DWORD>(stamp >> 32)};
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
    }
    EXPECT_EQ(fs.modification_time(path), 989'798'400);
    EXPECT_EQ(fs.modification_time(temp.path() + "none.chn"), std::nullopt);
}

TEST(Win32FileSystem, BothSeparatorsAreAccepted) {
    TempFolder temp;
    Win32FileSystem fs;
    ASSERT_TRUE(fs.create_folder(temp.path() + "a/b").ok());
    ASSERT_TRUE(fs.write_file(temp.path() + "a/b/c.res", "r").ok());
    std::string bytes;
    ASSERT_TRUE(fs.read_file(temp.path() + "a\\b\\C.RES", bytes).ok());
    EXPECT_EQ(bytes, "r");
    EXPECT_EQ(fs.read_file(temp.path() + "a/none/c.res", bytes).status, FsStatus::path_not_found);
}

TEST(Win32FileSystem, AFileOpenElsewhereCannotBeReplacedAndStaysWhole) {
    TempFolder temp;
    Win32FileSystem fs;
    const std::string path = temp.path() + "sorvane.inf";
    ASSERT_TRUE(fs.write_file(path, "old").ok());
    // Another program holds the file open without sharing it.
    const HANDLE held =
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const FsResult write = fs.write_file(path, "new");
    CloseHandle(held);
    EXPECT_FALSE(write.ok());
    EXPECT_NE(write.reason.find(path), std::string::npos) << write.reason;
    std::string bytes;
    ASSERT_TRUE(fs.read_file(path, bytes).ok());
    EXPECT_EQ(bytes, "old");
}

// The program started waits to be watched; a bounded number of looks, not a time.
bool wait_until_ended(Win32Process& process, std::int64_t id) {
    for (int look = 0; look < 1200; ++look) {
        if (!process.is_running(id)) return true;
        process.pause(std::chrono::milliseconds(50));
    }
    return false;
}

std::string argument_echo() {
    return executable_folder() + "argument_echo.exe";
}

TEST(Win32Process, AFolderWithBlanksArrivesAsOneArgument) {
    TempFolder temp;
    Win32FileSystem fs;
    const std::string folder = temp.path() + "Application Data\\Sorvane x";
    ASSERT_TRUE(fs.create_folder(folder).ok());
    Win32Process process;
    const Process::Started started = process.start(argument_echo(), folder, false);
    ASSERT_TRUE(started.id.has_value()) << started.reason;
    ASSERT_TRUE(wait_until_ended(process, *started.id));
    std::string bytes;
    ASSERT_TRUE(fs.read_file(folder + "\\arguments.txt", bytes).ok());
    EXPECT_EQ(bytes, "1\n" + folder + "\n");
    EXPECT_FALSE(process.is_running(*started.id)) << "an ended program stays ended";
    EXPECT_EQ(process.exit_status(*started.id), 0) << "its exit status is kept";
}

TEST(Win32Process, AMissingProgramIsReportedNotStarted) {
    TempFolder temp;
    Win32Process process;
    const std::string program = temp.path() + "run_Tovalu.exe";
    const Process::Started started = process.start(program, temp.path(), false);
    EXPECT_FALSE(started.id.has_value());
    EXPECT_NE(started.reason.find(program), std::string::npos) << started.reason;
    EXPECT_FALSE(process.is_running(12345));
    EXPECT_EQ(process.exit_status(12345), -1) << "no program of ours: no exit status";
}

TEST(Win32Process, TheClockMovesWithPauses) {
    Win32Process process;
    const auto before = process.now();
    process.pause(std::chrono::milliseconds(20));
    EXPECT_GE((process.now() - before).count(), 20);
}

// Changes one environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        _putenv_s(name, value);
    }
    ~ScopedVariable() { _putenv_s(name_, old_ ? old_->c_str() : ""); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Win32SystemFolder, IsSorvaneUnderAppData) {
    {
        ScopedVariable app_data("APPDATA", "C:\\Users\\A B\\AppData\\Roaming");
        EXPECT_EQ(default_system_dir(), "C:\\Users\\A B\\AppData\\Roaming\\Sorvane");
    }
    {
        ScopedVariable app_data("APPDATA", "D:\\Profiles\\ab\\");
        EXPECT_EQ(default_system_dir(), "D:\\Profiles\\ab\\Sorvane");
    }
}

TEST(Win32SystemFolder, TheExecutableFolderHoldsThisProgram) {
    const std::string folder = executable_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(Win32FileSystem().file_exists(folder + "windows_platform_tests.exe")) << folder;
}

}  // namespace
}  // namespace sorvane
