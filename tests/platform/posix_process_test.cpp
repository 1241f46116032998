#include "platform/posix_process.h"

#include <gtest/gtest.h>

#include <signal.h>

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

// How each program ended, told without waiting, the same on every look; the
// program is reaped by the look that sees it ended (no zombie is left).
TEST(PosixProcess, TellsHowAProgramEndedAndReapsIt) {
    struct Case {
        const char* program;
        const char* argument;
        int status;
    };
    const Case cases[] = {
        {"/usr/bin/true", "x", 0},
        {"/usr/bin/false", "x", 1},
        {"/usr/bin/test", "-n", 0},  // "test -n" alone is true
    };
    PosixProcess process;
    for (const Case& c : cases) {
        Process::Started started = process.start(c.program, c.argument, false);
        ASSERT_TRUE(started.id) << started.reason;
        ASSERT_TRUE(ends(process, *started.id)) << c.program;
        EXPECT_EQ(process.exit_status(*started.id), c.status) << c.program;
        EXPECT_EQ(process.exit_status(*started.id), c.status) << c.program << ", asked again";
        // Reaped: no process of that id is left to look at.
        EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(*started.id))) << c.program;
    }
    Process::Started sleeper = process.start("/usr/bin/sleep", "5", false);
    ASSERT_TRUE(sleeper.id);
    EXPECT_EQ(process.exit_status(*sleeper.id), std::nullopt) << "running: no status yet";
    ::kill(static_cast<pid_t>(*sleeper.id), SIGKILL);
    ASSERT_TRUE(ends(process, *sleeper.id));
    EXPECT_EQ(process.exit_status(*sleeper.id), -1) << "killed: no exit status";
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
