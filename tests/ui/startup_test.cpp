#include "ui/startup.h"

#include <gtest/gtest.h>

#include "form/option_groups.h"
#include "form/type_selector.h"
#include "main_window_fixture.h"
#include "ui/window_events.h"

namespace sorvane {
namespace {

// The button chosen in each of the groups Option1 to Option8, in that order.
void expect_selected(const Form1& form, const std::array<int, 8>& buttons) {
    const OptionGroup groups[] = {OptionGroup::Option1, OptionGroup::Option2, OptionGroup::Option3,
                                  OptionGroup::Option4, OptionGroup::Option5, OptionGroup::Option6,
                                  OptionGroup::Option7, OptionGroup::Option8};
    for (std::size_t at = 0; at < buttons.size(); ++at)
        EXPECT_EQ(selected_option(form, groups[at]), buttons[at]) << "Option" << at + 1;
}

TEST(StartupFirstRun, DefaultsWithoutAControlFile) {
    MainWindowFixture f;
    f.start();
    const Form1& form = f.window.form;
    EXPECT_EQ(f.window.caption, "Sorvane  Ver: 2. 1 Rev: 8");
    EXPECT_EQ(form.Combo1.selection, 0);
    EXPECT_EQ(selected_type_code(form), 1);
    EXPECT_FALSE(form.Frame14.visible);
    EXPECT_FALSE(form.Frame15.visible);
    expect_selected(form, {0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(form.Text1.text, "10.0");
    EXPECT_EQ(form.Text2.text, "6.0");
    EXPECT_EQ(form.Text3[1].text, "4095");
    EXPECT_EQ(form.Text8.text, "user inf");
    EXPECT_FALSE(f.window.placement.has_value());
    EXPECT_EQ(f.window.control_file_path, "C:\\Sorvane\\sorvane.inf");
    EXPECT_EQ(f.dated, -1);
}

TEST(StartupFirstRun, BothTreesOpenAtTheDriveOfTheRunFileFolder) {
    MainWindowFixture f;
    f.start();
    EXPECT_EQ(f.window.settings.res_dir, "C:\\");
    EXPECT_EQ(f.window.settings.chn_dir, "C:\\");
    EXPECT_EQ(f.window.form.Text9[0].text, "open dir: C:\\");
    EXPECT_EQ(f.window.form.Text9[1].text, "open dir: C:\\");
    EXPECT_EQ(f.window.form.File1[0].pattern, "*.chn");
    EXPECT_EQ(f.window.form.File1[1].pattern, "*.*");
    EXPECT_TRUE(f.window.shown);
    EXPECT_EQ(f.window.focus, Focus::TreeView1_0);
}

TEST(StartupFirstRun, TheSystemFolderLosesTrailingBlanksAndNul) {
    MainWindowFixture f;
    f.environment.system_dir = std::string("C:\\Sorvane  ") + '\0';
    f.start();
    EXPECT_EQ(f.window.settings.system_dir, "C:\\Sorvane");
}

TEST(StartupFirstRun, EmptiesTheManualPeakList) {
    MainWindowFixture f;
    f.window.settings.manual_pk_count = 2;
    f.window.form.Text7.text = " 100.00\r\n";
    f.start();
    EXPECT_EQ(f.window.settings.manual_pk_count, 0);
    EXPECT_EQ(f.window.form.Text7.text, "");
}

class StartupWithRunFile : public ::testing::Test {
protected:
    StartupWithRunFile() {
        f.put_run_file("saved.inf");
        f.fs.add_file("C:\\tools\\run_Tovalu.exe", "MZ");
    }
    MainWindowFixture f;
};

TEST_F(StartupWithRunFile, TitleEndsWithTheRuntimeDate) {
    f.start();
    EXPECT_EQ(f.window.caption,
              "Sorvane  Ver: 2. 1 Rev: 8  /run_tovalu update:08/12/2026 05:00:00");
    EXPECT_EQ(f.dated, f.fs.modification_time("C:\\tools\\run_Tovalu.exe"));
}

TEST_F(StartupWithRunFile, SavedOptionsAreSelected) {
    f.start();
    const Form1& form = f.window.form;
    expect_selected(form, {0, 1, 1, 1, 3, 1, 1, 2});
    EXPECT_EQ(selected_type_code(form), 30);
    EXPECT_TRUE(form.Frame14.visible);
    EXPECT_FALSE(form.Frame15.visible);
}

TEST_F(StartupWithRunFile, SavedValuesAreShown) {
    f.start();
    const Form1& form = f.window.form;
    EXPECT_EQ(form.Text1.text, "2.5");
    EXPECT_EQ(form.Text2.text, "4");
    EXPECT_EQ(form.Text3[0].text, " 200");
    EXPECT_EQ(form.Text3[1].text, " 3000");
    EXPECT_TRUE(form.Text3[0].enabled);
    EXPECT_EQ(form.Text4[1].text, " 3900");
    EXPECT_EQ(form.Text5[1].text, " 1332");
    EXPECT_EQ(form.Text6[0].text, " 2.1");
    EXPECT_EQ(form.Text8.text, "my run");
}

TEST_F(StartupWithRunFile, TheWindowTakesRecordOneInPixels) {
    f.start();
    // 1500, 3000, 6000, 9000 twips at 15 twips a pixel.
    ASSERT_TRUE(f.window.placement.has_value());
    EXPECT_EQ(*f.window.placement, (WindowPlacement{100, 200, 400, 600}));
}

TEST_F(StartupWithRunFile, TreesOpenAtTheStoredFolders) {
    f.start();
    EXPECT_EQ(f.window.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(f.window.form.Text9[1].text, "open dir: D:\\x\\");
    EXPECT_EQ(f.window.settings.res_dir, "D:\\x\\");
    EXPECT_EQ(f.window.focus, Focus::TreeView1_0);
}

TEST(StartupRuntime, MissingRuntimeLeavesTheMarkAlone) {
    MainWindowFixture f;
    f.put_run_file("saved.inf");
    f.start();
    EXPECT_EQ(f.window.caption, "Sorvane  Ver: 2. 1 Rev: 8  /run_tovalu update:");
}

TEST(StartupRuntime, RuntimeFolderWithoutSeparatorIsJoinedDirectly) {
    MainWindowFixture f;
    f.put_run_file("gone_folder.inf");
    f.fs.add_file("C:\\toolsrun_tovalu.exe", "MZ");
    f.start();
    EXPECT_EQ(f.window.caption,
              "Sorvane  Ver: 2. 1 Rev: 8  /run_tovalu update:08/12/2026 05:00:00");
}

// The runtime shipped with the program is taken unless the run file names one;
// "SET Default" leaves the folder alone.
TEST(StartupRuntime, TheBundledRuntimeFillsAnEmptyFolder) {
    struct Case {
        const char* what;
        std::optional<std::string> run_file;
        std::string bundled;
        std::string expected;
    };
    const std::string bundled = "C:\\Program Files\\Sorvane\\";
    const Case cases[] = {
        {"first start", std::nullopt, bundled, bundled},
        {"empty in the run file", crlf_lines({"[run time dir]", ""}), bundled, bundled},
        {"the run file's folder wins", crlf_lines({"[run time dir]", "C:\\tools\\"}), bundled,
         "C:\\tools\\"},
        {"none shipped", std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        MainWindowFixture f;
        if (c.run_file) f.fs.add_file("C:\\Sorvane\\sorvane.inf", *c.run_file);
        f.environment.bundled_runtime_dir = c.bundled;
        f.start();
        EXPECT_EQ(f.window.settings.run_time_dir, c.expected) << c.what;
        Command2_Click(f.window);
        EXPECT_EQ(f.window.settings.run_time_dir, c.expected) << c.what << ", after SET Default";
    }
}

TEST(StartupStoredFolders, HeightZeroKeepsTheDesignedPlace) {
    MainWindowFixture f;
    f.put_run_file("gone_folder.inf");
    f.start();
    EXPECT_FALSE(f.window.placement.has_value());
}

TEST(StartupStoredFolders, AVanishedResultFolderFallsBackToTheDriveRoot) {
    MainWindowFixture f;
    f.put_run_file("gone_folder.inf");
    f.start();
    EXPECT_EQ(f.window.settings.res_dir, "C:\\");
    EXPECT_EQ(f.window.form.Text9[1].text, "open dir: C:\\");
    // The raw folder still exists and opens as stored.
    EXPECT_EQ(f.window.settings.chn_dir, "C:\\data\\");
    EXPECT_EQ(f.window.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(f.window.form.File1[0].entries, (std::vector<std::string>{"a.chn", "b.chn"}));
    EXPECT_TRUE(f.window.shown);
}

TEST(StartupStoredFolders, FallbackUsesTheDriveHoldingTheSystemFolder) {
    MainWindowFixture f;
    f.fs.add_folder("D:\\Sorvane");
    f.environment.system_dir = "D:\\Sorvane";
    f.start();
    EXPECT_EQ(f.window.form.Text9[0].text, "open dir: D:\\");
    EXPECT_EQ(f.window.form.Text9[1].text, "open dir: D:\\");
}

TEST(DriveRootOf, FindsTheDriveIgnoringCase) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::windows);
    EXPECT_EQ(drive_root_of("e:\\x\\y", fs), "E:\\");
    EXPECT_EQ(drive_root_of("Q:\\x", fs), "C:\\");
    MemoryFileSystem posix(MemoryFileSystem::Flavour::posix);
    EXPECT_EQ(drive_root_of("/home/u/.config/sorvane", posix), "/");
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// A window that crashed during a waiting "GO" left earlier results aside; the next
// start puts them back, logs each and says so in the status line.
TEST(StartupAfterACrash, PutsBackTheEarlierResultsLeftAside) {
    MainWindowFixture f;
    f.fs.add_file("C:\\Sorvane\\sorvane.inf.aside", "res dir = C:\\res\\\r\n");
    f.fs.add_file("C:\\res\\a.res.earlier", "earlier a");
    f.fs.add_file("C:\\res\\b.res.earlier", "earlier b");
    f.fs.add_file("C:\\res\\b.res", "new whole b");
    f.start();
    restore_set_aside_results(f.window, f.fs);
    EXPECT_EQ(f.fs.contents("C:\\res\\a.res"), "earlier a");
    EXPECT_EQ(f.fs.contents("C:\\res\\b.res"), "new whole b");
    EXPECT_FALSE(f.fs.file_exists("C:\\res\\b.res.earlier"));
    EXPECT_FALSE(f.fs.file_exists("C:\\Sorvane\\sorvane.inf.aside"));
    EXPECT_EQ(f.window.status_line,
              "Start: an interrupted GO in C:\\res\\: 1 earlier result put back, 1 replaced by a "
              "whole new one; see C:\\res\\sorvane-run.log");
    const std::string log = f.fs.contents("C:\\res\\sorvane-run.log").value_or("");
    EXPECT_NE(
        log.find(" C:\\res\\a.res: no new result was written; the earlier result is put back"),
        std::string::npos);
}

TEST(StartupAfterACrash, SaysNothingWithoutSetsLeftAside) {
    MainWindowFixture f;
    f.start();
    restore_set_aside_results(f.window, f.fs);
    EXPECT_EQ(f.window.status_line, "");
}

}  // namespace
}  // namespace sorvane
