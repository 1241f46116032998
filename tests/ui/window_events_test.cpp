#include "ui/window_events.h"

#include <gtest/gtest.h>

#include "main_window_fixture.h"

namespace sorvane {
namespace {

TEST(WindowEvents, ADropSelectsAndGivesTheWindowTheFocus) {
    MainWindowFixture f;
    f.start();
    File1_OLEDragDrop(f.window, 0, std::vector<std::string>{"C:\\data\\a.chn", "C:\\data\\b.chn"},
                      f.fs);
    EXPECT_EQ(f.window.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(f.window.form.File1[0].selected_names(),
              (std::vector<std::string>{"a.chn", "b.chn"}));
    EXPECT_EQ(f.window.focus, Focus::window);
}

TEST(WindowEvents, ADropWithoutFilesOnlyFocuses) {
    MainWindowFixture f;
    f.start();
    File1_OLEDragDrop(f.window, 1, std::nullopt, f.fs);
    EXPECT_EQ(f.window.form.Text9[1].text, "open dir: C:\\");
    EXPECT_EQ(f.window.focus, Focus::window);
}

TEST(WindowEvents, SetDefaultAfterChanges) {
    MainWindowFixture f;
    f.start();
    Option_Click(f.window, OptionGroup::Option6, 1);
    f.window.form.Text3[0].text = "7";
    Command2_Click(f.window);
    EXPECT_TRUE(f.window.form.Option6[0].selected);
    EXPECT_EQ(f.window.form.Text3[0].text, "100");
    EXPECT_TRUE(f.window.form.Text3[0].enabled);
}

TEST(WindowEvents, TheUsersSelectionOfAListIsKept) {
    MainWindowFixture f;
    f.start();
    File1_OLEDragDrop(f.window, 0, std::vector<std::string>{"C:\\data\\a.chn"}, f.fs);
    File1_Select(f.window, 0, {false, true});
    EXPECT_EQ(f.window.form.File1[0].selected_names(), (std::vector<std::string>{"b.chn"}));
}

TEST(WindowEvents, ChoosingATypeChangesTheRawPattern) {
    MainWindowFixture f;
    f.start();
    Combo1_Select(f.window, 0, f.fs);
    EXPECT_EQ(f.window.form.File1[0].pattern, "*.chn");
    EXPECT_FALSE(f.window.form.Frame14.visible);
}

}  // namespace
}  // namespace sorvane
