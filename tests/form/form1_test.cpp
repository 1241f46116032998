#include "form/form1.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(Form1, ButtonsAndTabsCarryTheirCaptions) {
    Form1 form;
    EXPECT_EQ(form.Command1.caption, "GO");
    EXPECT_EQ(form.Command2.caption, "SET Default");
    EXPECT_EQ(form.SSTab1.captions,
              (std::vector<std::string>{"Cal Option", "I/O Option", "Cal File(s)"}));
}

TEST(Form1, FramesCarryTheirCaptions) {
    Form1 form;
    const std::pair<const Frame*, const char*> frames[] = {
        {&form.Frame1, "CNTL Option"},
        {&form.Frame2, "PK search"},
        {&form.Frame6, "Raw Data "},
        {&form.Frame9, "Energy Calib."},
        {&form.Frame11, "CHN file(s)"},
        {&form.Frame12, "Result(s) Output dir"},
        {&form.Frame13, "Type of Raw Data File "},
        {&form.Frame14, "CHN file conversion"},
        {&form.Frame15, "Manual PK search ch(s)"},
        {&form.Frame18, "Inf. (max: 128 chrs, including CRLF)"},
    };
    for (const auto& [frame, caption] : frames) EXPECT_EQ(frame->caption, caption);
}

TEST(Form1, OptionButtonsCarryTheirCaptionsExactly) {
    Form1 form;
    EXPECT_EQ(form.Option1[1].caption, "Manual");
    EXPECT_EQ(form.Option3[0].caption, "Gauss+exp");
    EXPECT_EQ(form.Option5[3].caption, "make csv file (no area cal)");
    EXPECT_EQ(form.Option7[0].caption, "Auto (Use file include parm) (Set CH,FWHM)");
    // Eight blanks inside and one at the end.
    EXPECT_EQ(form.Option7[1].caption, "Manual setting        (Set CH, Energy, FWHM) ");
    EXPECT_EQ(form.Option8[2].caption, "yes, only conversion (no cal)");
}

TEST(Form1, DirectoryFieldsStartAsTheirNameAndUserTextIsLimited) {
    Form1 form;
    EXPECT_EQ(form.Text9[0].text, "Text9");
    EXPECT_EQ(form.Text9[1].text, "Text9");
    EXPECT_EQ(form.Text8.max_length, 128u);
}

TEST(Form1, FileMenuItemsByIndex) {
    Form1 form;
    const std::pair<int, const char*> items[] = {{160, "read parm"}, {180, "save parm"},
                                                 {199, "-"},         {200, "run time"},
                                                 {299, "-"},         {300, "Exit"}};
    ASSERT_EQ(form.f11.size(), std::size(items));
    for (std::size_t i = 0; i < form.f11.size(); ++i) {
        EXPECT_EQ(form.f11[i].index, items[i].first);
        EXPECT_EQ(form.f11[i].caption, items[i].second);
    }
}

}  // namespace
}  // namespace sorvane
