#include "form/type_selector.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

class TypeSelector : public ::testing::Test {
protected:
    TypeSelector() {
        files.add_file("C:\\data\\a.chn", "x");
        files.add_file("C:\\data\\b.IEC", "x");
        files.add_file("C:\\data\\c.iec", "x");
        form.File1[0].folder = "C:\\data";
    }
    MemoryFileSystem files;
    Form1 form;
};

TEST_F(TypeSelector, FillListsTheTwelveCaptionsAndSelectsTheChnType) {
    fill_type_list(form, files);
    ASSERT_EQ(form.Combo1.entries.size(), 12u);
    EXPECT_EQ(form.Combo1.entries[0], "ORTEC, SEIKO (*.chn)");
    EXPECT_EQ(form.Combo1.entries[9], "NAIG E-560  RS232C(*.txt)");
    EXPECT_EQ(form.Combo1.entries[11], "All Files (*.*)");
    EXPECT_EQ(form.Combo1.selection, 0);
    EXPECT_EQ(form.File1[0].pattern, "*.chn");
    EXPECT_EQ(form.File1[1].pattern, "*.*");
    EXPECT_EQ(form.File1[0].entries, std::vector<std::string>{"a.chn"});
    EXPECT_FALSE(form.Frame14.visible);
    EXPECT_EQ(form.Frame11.caption, "ORTEC, SEIKO (*.chn)");
}

TEST_F(TypeSelector, FillingAgainDoesNotDoubleTheList) {
    fill_type_list(form, files);
    fill_type_list(form, files);
    EXPECT_EQ(form.Combo1.entries.size(), 12u);
}

TEST_F(TypeSelector, SelectionSetsPatternCaptionAndConversionFrame) {
    fill_type_list(form, files);
    select_type_position(form, 1, files);
    EXPECT_EQ(form.File1[0].pattern, "*.iec");
    EXPECT_EQ(form.File1[0].entries, (std::vector<std::string>{"b.IEC", "c.iec"}));
    EXPECT_EQ(form.Frame11.caption, "IEC1455 (IEC) (*.iec)");
    EXPECT_TRUE(form.Frame14.visible);
    EXPECT_EQ(selected_type_code(form), 10);

    select_type_position(form, 11, files);
    EXPECT_EQ(form.File1[0].pattern, "*.*");
    EXPECT_TRUE(form.Frame14.visible);
    EXPECT_EQ(selected_type_code(form), 0);

    select_type_position(form, 0, files);
    EXPECT_FALSE(form.Frame14.visible);
}

TEST_F(TypeSelector, EditThatLeavesNothingSelectedIsIgnored) {
    fill_type_list(form, files);
    select_type_position(form, 2, files);
    form.Frame11.caption = "unchanged";
    edit_type_text(form, "my own type", files);
    EXPECT_EQ(form.Combo1.selection, -1);
    EXPECT_EQ(form.File1[0].pattern, "*.rms");
    EXPECT_EQ(form.Frame11.caption, "unchanged");
    EXPECT_EQ(selected_type_code(form), 0);
}

TEST_F(TypeSelector, EditNamingAnEntryChangesOnlyThePattern) {
    fill_type_list(form, files);
    edit_type_text(form, "IEC1455 (IEC) (*.iec)", files);
    EXPECT_EQ(form.File1[0].pattern, "*.iec");
    EXPECT_EQ(form.Frame11.caption, "ORTEC, SEIKO (*.chn)");
    EXPECT_FALSE(form.Frame14.visible);
}

}  // namespace
}  // namespace sorvane
