#include "ui/file_menu.h"

#include <gtest/gtest.h>

#include "main_window_fixture.h"

namespace sorvane {
namespace {

class FileMenu : public ::testing::Test {
protected:
    FileMenu() {
        f.fs.add_file("C:\\tools\\run_tovalu.exe", "MZ");
        f.start();
        f.window.settings.run_time_dir = "C:\\tools\\";
        f.window.settings.res_dir = "D:\\x\\";
    }
    void click(int index) { f11_Click(f.window, index, f.services); }
    MainWindowFixture f;
};

TEST_F(FileMenu, ReadParmLoadsTheSetAndMovesTheResultFolder) {
    f.fs.add_file("D:\\sets\\manual.opa", test_data("window/manual.opa"));
    f.ui.file_answers.push_back("D:\\sets\\manual.opa");
    click(160);
    ASSERT_EQ(f.ui.prompts.size(), 1u);
    EXPECT_EQ(f.ui.prompts[0], "open option parm file(*.opa)|*.opa in D:\\x\\");
    EXPECT_EQ(f.window.settings.res_dir, "D:\\sets\\");
    EXPECT_EQ(f.window.control_file_path, "D:\\sets\\manual.opa");
    EXPECT_TRUE(f.window.form.Option1[1].selected);
    EXPECT_TRUE(f.window.form.Frame15.visible);
    EXPECT_TRUE(f.window.form.Option3[1].selected);
    EXPECT_EQ(f.window.form.Text1.text, "3");
    EXPECT_EQ(f.window.form.Text8.text, "from a set");
}

TEST_F(FileMenu, ReadParmCancelledChangesNothing) {
    click(160);
    EXPECT_EQ(f.window.settings.res_dir, "D:\\x\\");
    EXPECT_EQ(f.window.control_file_path, "C:\\Sorvane\\sorvane.inf");
    EXPECT_EQ(f.window.form.Text1.text, "10.0");
}

TEST_F(FileMenu, ReadParmOfAMissingSetLeavesTheControls) {
    f.ui.file_answers.push_back("D:\\sets\\none.opa");
    click(160);
    EXPECT_EQ(f.window.settings.res_dir, "D:\\sets\\");
    EXPECT_EQ(f.window.control_file_path, "D:\\sets\\none.opa");
    EXPECT_TRUE(f.window.form.Option1[0].selected);
    EXPECT_EQ(f.window.form.Text1.text, "10.0");
}

TEST_F(FileMenu, SaveParmWritesUnderTheNameAsTyped) {
    f.ui.file_answers.push_back("D:\\sets\\test");
    click(180);
    EXPECT_EQ(f.ui.prompts.at(0), "save option parm file(*.opa)|*.opa in D:\\x\\");
    EXPECT_EQ(f.window.control_file_path, "D:\\sets\\test");
    const std::optional<std::string> written = f.fs.contents("D:\\sets\\test");
    ASSERT_TRUE(written.has_value());
    EXPECT_NE(written->find("[BKG shape]\r\n 10 \r\n"), std::string::npos);
    EXPECT_NE(written->find("[PKF sens]\r\n 6 \r\n"), std::string::npos);
    EXPECT_FALSE(f.fs.contents("D:\\sets\\test.opa").has_value());
}

TEST_F(FileMenu, SaveParmCancelledWritesNothing) {
    click(180);
    EXPECT_FALSE(f.fs.contents("D:\\sets\\test").has_value());
    EXPECT_EQ(f.window.control_file_path, "C:\\Sorvane\\sorvane.inf");
}

TEST_F(FileMenu, RunTimeAsksWithTheSetupPrompt) {
    f.ui.input_answers.push_back("c:\\tools");
    click(200);
    ASSERT_EQ(f.ui.prompts.size(), 1u);
    EXPECT_EQ(f.ui.prompts[0],
              "Sorvane SETUP: Input fullpath of runtime(run_Sorvane.exe)\r\n\r\n"
              "          (ex. c:\\Lindorva\\ )");
    EXPECT_EQ(f.window.settings.run_time_dir, "c:\\tools");
}

// The prompt asks for the runtime's full path: that answer stores its folder.
TEST_F(FileMenu, RunTimeNamingTheProgramStoresItsFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\tools\\run_Tovalu.exe", "C:\\tools\\"},
        {"c:\\Lindorva\\RUN_SORVANE.EXE", "c:\\Lindorva\\"},
        {"D:/rt/run_tovalu.exe", "D:/rt/"},
        {"run_tovalu.exe", "C:\\"},  // the current folder
        {"C:\\tools\\run_tovalu.exe.bak", "C:\\tools\\run_tovalu.exe.bak"},
        {"C:\\run_tovalu", "C:\\run_tovalu"},
    };
    for (const auto& [answer, stored] : cases) {
        f.ui.input_answers.push_back(answer);
        click(200);
        EXPECT_EQ(f.window.settings.run_time_dir, stored) << answer;
    }
}

TEST_F(FileMenu, RunTimeEmptyOrCancelledChangesNothing) {
    f.ui.input_answers.push_back("");
    click(200);
    click(200);
    EXPECT_EQ(f.window.settings.run_time_dir, "C:\\tools\\");
}

TEST_F(FileMenu, ExitSavesToTheRunFileAndCloses) {
    f.window.control_file_path = "D:\\sets\\other.opa";
    f.window.form.Text1.text = "2.5";
    click(300);
    EXPECT_TRUE(f.window.exiting);
    EXPECT_TRUE(f.window.closed);
    EXPECT_EQ(f.window.control_file_path, "C:\\Sorvane\\sorvane.inf");
    const std::optional<std::string> written = f.fs.contents("C:\\Sorvane\\sorvane.inf");
    ASSERT_TRUE(written.has_value());
    EXPECT_NE(written->find("[BKG shape]\r\n 2.5 \r\n"), std::string::npos);
    // The folders come from the directory fields, which show the drive root.
    EXPECT_NE(written->find("[res dir]\r\nC:\\\r\n"), std::string::npos);
    EXPECT_FALSE(f.fs.contents("D:\\sets\\other.opa").has_value());
}

TEST_F(FileMenu, ExitWithManualPeakSearchAsksNothing) {
    f.window.form.Option1[1].selected = true;
    f.window.form.Option1[0].selected = false;
    click(300);
    EXPECT_TRUE(f.ui.prompts.empty());
    EXPECT_TRUE(f.window.closed);
}

TEST_F(FileMenu, SeparatorsDoNothing) {
    click(199);
    click(299);
    EXPECT_TRUE(f.ui.prompts.empty());
    EXPECT_FALSE(f.window.closed);
}

TEST_F(FileMenu, TheNextStartFindsWhatExitSaved) {
    f.window.form.Option2[1].selected = true;
    f.window.form.Option2[0].selected = false;
    f.window.form.Text8.text = "kept";
    click(300);
    MainWindow next;
    Form_Load(next, f.fs, f.environment);
    EXPECT_TRUE(next.form.Option2[1].selected);
    EXPECT_EQ(next.form.Text8.text, "kept");
    EXPECT_NE(next.caption.find("  /run_tovalu update:"), std::string::npos);
}

TEST(TabChange, CalFilesFocusesTheRawFolderTree) {
    MainWindow window;
    SSTab1_Click(window, 1);
    EXPECT_EQ(window.focus, Focus::none);
    EXPECT_EQ(window.form.SSTab1.tab, 1);
    SSTab1_Click(window, 2);
    EXPECT_EQ(window.focus, Focus::TreeView1_0);
}

}  // namespace
}  // namespace sorvane
