#include "platform/posix_process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_files.h"

namespace sorvane {
namespace {

// Waits for a started program to end, at most about ten seconds.
bool ends(PosixProcess& process, std::int64_t id) {
    for (int look = 0; look < 1000; ++look) {
        if (!process.is_running(id)) return true;
        process.pause(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(PosixProcess, PassesOneArgumentWithBlanksWhole) {
    TempFolder temp;
    PosixProcess process;
    const std::string argument = temp.path() + "a folder with blanks";
    Process::Started started = process.start("/usr/bin/mkdir", argument, false);
    ASSERT_TRUE(started.id) << started.reason;
    ASSERT_TRUE(ends(process, *started.id));
    EXPECT_TRUE(std::filesystem::is_directory(argument));
    EXPECT_FALSE(std::filesystem::exists(temp.path() + "a"));
}

TEST(PosixProcess, AMissingProgramIsReportedNotStarted) {
    PosixProcess process;
    Process::Started started = process.start("/nonexistent/run_Tovalu.exe", "x", false);
    EXPECT_FALSE(started.id);
    EXPECT_NE(started.reason.find("/nonexistent/run_Tovalu.exe"), std::string::npos)
        << started.reason;
}

TEST(PosixProcess, ClockMovesWithPauses) {
    PosixProcess process;
    auto before = process.now();
    process.pause(std::chrono::milliseconds(20));
    EXPECT_GE((process.now() - before).count(), 20);
}

}  // namespace
}  // namespace sorvane
