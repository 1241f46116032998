#include "form/option_groups.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// Each group's place in `cntl_option` and the code of each button.
struct Codes {
    OptionGroup group;
    std::size_t cntl_index;
    std::vector<int> codes;
};

TEST(OptionGroups, CodesAreThoseTheRuntimeExpects) {
    const Codes expected[] = {
        {OptionGroup::Option1, 0, {0, 1}},       {OptionGroup::Option2, 1, {0, 1}},
        {OptionGroup::Option3, 2, {0, 2}},       {OptionGroup::Option4, 3, {0, 1}},
        {OptionGroup::Option5, 4, {1, 0, 2, 4}}, {OptionGroup::Option7, 5, {1, 0}},
        {OptionGroup::Option6, 6, {1, 0}},       {OptionGroup::Option8, 7, {1, 0, 2}},
    };
    for (const Codes& row : expected) {
        Form1 form;
        EXPECT_EQ(row_of(row.group).cntl_index, row.cntl_index);
        for (std::size_t button = 0; button < row.codes.size(); ++button) {
            select_option(form, row.group, static_cast<int>(button));
            EXPECT_EQ(selected_code(form, row.group), row.codes[button])
                << row.cntl_index << " " << button;
        }
    }
}

TEST(OptionGroups, SelectingOneButtonClearsTheOthers) {
    Form1 form;
    select_option(form, OptionGroup::Option5, 3);
    select_option(form, OptionGroup::Option5, 1);
    EXPECT_FALSE(form.Option5[0].selected);
    EXPECT_TRUE(form.Option5[1].selected);
    EXPECT_FALSE(form.Option5[3].selected);
    EXPECT_EQ(selected_option(form, OptionGroup::Option5), 1);
}

TEST(OptionGroups, NothingSelectedGivesTheCodeOfTheFirstButton) {
    Form1 form;
    EXPECT_EQ(selected_option(form, OptionGroup::Option8), -1);
    EXPECT_EQ(selected_code(form, OptionGroup::Option8), 1);
    EXPECT_EQ(selected_code(form, OptionGroup::Option5), 1);
    EXPECT_EQ(selected_code(form, OptionGroup::Option1), 0);
}

TEST(OptionGroups, SelectByCodeLeavesUnknownCodesAlone) {
    Form1 form;
    select_option(form, OptionGroup::Option3, 0);
    EXPECT_FALSE(select_option_by_code(form, OptionGroup::Option3, 1));
    EXPECT_TRUE(form.Option3[0].selected);
    EXPECT_TRUE(select_option_by_code(form, OptionGroup::Option5, 4));
    EXPECT_TRUE(form.Option5[3].selected);
}

TEST(OptionInterlocks, ManualPeakSearchShowsItsFrameAndAutoHidesIt) {
    Form1 form;
    select_option(form, OptionGroup::Option1, 1);
    EXPECT_TRUE(form.Frame15.visible);
    select_option(form, OptionGroup::Option1, 0);
    EXPECT_FALSE(form.Frame15.visible);
}

TEST(OptionInterlocks, AllChannelsDisablesTheCalAreaFields) {
    Form1 form;
    select_option(form, OptionGroup::Option6, 0);
    EXPECT_FALSE(form.Text3[0].enabled);
    EXPECT_FALSE(form.Text3[1].enabled);
    select_option(form, OptionGroup::Option6, 1);
    EXPECT_TRUE(form.Text3[0].enabled);
    EXPECT_TRUE(form.Text3[1].enabled);
}

TEST(OptionInterlocks, EitherEnergyCalibrationKeepsAllSixFieldsUsable) {
    for (int index : {0, 1}) {
        Form1 form;
        for (auto* fields : {&form.Text4, &form.Text5, &form.Text6}) {
            for (TextBox& field : *fields) field.enabled = false;
        }
        select_option(form, OptionGroup::Option7, index);
        for (auto* fields : {&form.Text4, &form.Text5, &form.Text6}) {
            EXPECT_TRUE((*fields)[0].enabled) << index;
            EXPECT_TRUE((*fields)[1].enabled) << index;
        }
    }
}

TEST(OptionInterlocks, OtherGroupsTouchNothingElse) {
    Form1 form;
    form.Frame15.visible = false;
    select_option(form, OptionGroup::Option2, 1);
    select_option(form, OptionGroup::Option8, 2);
    EXPECT_FALSE(form.Frame15.visible);
    EXPECT_TRUE(form.Text3[0].enabled);
}

}  // namespace
}  // namespace sorvane
