#include "control/settings_view.h"

#include <gtest/gtest.h>

#include "form/option_groups.h"
#include "form/type_selector.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

TEST(SetDefault, SelectsTheFactoryButtonsAndTexts) {
    MemoryFileSystem files;
    Form1 form;
    fill_type_list(form, files);
    select_option(form, OptionGroup::Option1, 1);
    select_option(form, OptionGroup::Option5, 3);
    form.Text7.text = " 100.00\r\n";
    set_default(form);

    const std::pair<OptionGroup, int> expected[] = {
        {OptionGroup::Option1, 0}, {OptionGroup::Option2, 0}, {OptionGroup::Option3, 0},
        {OptionGroup::Option4, 0}, {OptionGroup::Option5, 0}, {OptionGroup::Option6, 0},
        {OptionGroup::Option7, 0}, {OptionGroup::Option8, 1},
    };
    for (const auto& [group, button] : expected) EXPECT_EQ(selected_option(form, group), button);
    EXPECT_FALSE(form.Frame15.visible);
    EXPECT_EQ(form.Text1.text, "10.0");
    EXPECT_EQ(form.Text2.text, "6.0");
    EXPECT_EQ(form.Text8.text, "user inf");
    EXPECT_EQ(form.Text7.text, " 100.00\r\n");  // the peak list is not touched
    EXPECT_EQ(form.Combo1.selection, 0);
}

TEST(SetDefault, LeavesAllEightCalibrationFieldsEnabledAndFilled) {
    Form1 form;
    set_default(form);
    const std::pair<const TextBox*, const char*> fields[] = {
        {&form.Text3[0], "100"},  {&form.Text3[1], "4095"}, {&form.Text4[0], "200"},
        {&form.Text4[1], "4000"}, {&form.Text5[0], "100"},  {&form.Text5[1], "2000"},
        {&form.Text6[0], "2.6"},  {&form.Text6[1], "3.5"},
    };
    for (const auto& [field, text] : fields) {
        EXPECT_EQ(field->text, text);
        EXPECT_TRUE(field->enabled) << text;  // also the Cal area ones, though "All CH" is chosen
    }
}

TEST(ApplySettings, SelectsTheButtonsOfTheCodes) {
    MemoryFileSystem files;
    Form1 form;
    fill_type_list(form, files);
    AnalysisSettings settings;
    settings.cntl_option = {0, 1, 2, 1, 4, 0, 0, 2, 30, 0};
    apply_settings(form, settings, files);

    const std::pair<OptionGroup, int> expected[] = {
        {OptionGroup::Option1, 0}, {OptionGroup::Option2, 1}, {OptionGroup::Option3, 1},
        {OptionGroup::Option4, 1}, {OptionGroup::Option5, 3}, {OptionGroup::Option7, 1},
        {OptionGroup::Option6, 1}, {OptionGroup::Option8, 2},
    };
    for (const auto& [group, button] : expected) EXPECT_EQ(selected_option(form, group), button);
    EXPECT_EQ(form.Combo1.selection, 10);
    EXPECT_EQ(form.File1[0].pattern, "*.*");
    EXPECT_TRUE(form.Frame14.visible);
    EXPECT_FALSE(form.Frame15.visible);
    EXPECT_TRUE(form.Text3[0].enabled);
}

TEST(ApplySettings, UnknownCodesKeepTheFirstButtonAndManualShowsItsFrame) {
    MemoryFileSystem files;
    Form1 form;
    fill_type_list(form, files);
    AnalysisSettings settings;
    settings.cntl_option = {1, 0, 1, 7, 9, 1, 1, 5, 1, 0};
    apply_settings(form, settings, files);
    EXPECT_EQ(selected_option(form, OptionGroup::Option3), 0);
    EXPECT_EQ(selected_option(form, OptionGroup::Option4), 0);
    EXPECT_EQ(selected_option(form, OptionGroup::Option5), 0);
    EXPECT_EQ(selected_option(form, OptionGroup::Option8), 1);
    EXPECT_TRUE(form.Frame15.visible);
    EXPECT_FALSE(form.Frame14.visible);  // the CHN type
    // "All CH" chosen, yet the last step enables the Cal area fields again.
    EXPECT_TRUE(form.Text3[0].enabled);
}

TEST(ApplySettings, UserTextLosesSurroundingBlanksAndLineBreaks) {
    struct Case {
        const char* stored;
        const char* shown;
    };
    const Case cases[] = {
        {"  abc\r\n ", "abc"},
        {"", "user inf"},
        {"   ", "user inf"},
        {"a\r\nb\r\n", "a\r\nb"},
    };
    MemoryFileSystem files;
    for (const Case& c : cases) {
        Form1 form;
        AnalysisSettings settings;
        settings.user_inf = c.stored;
        apply_settings(form, settings, files);
        EXPECT_EQ(form.Text8.text, c.shown) << c.stored;
    }
}

TEST(ShowValues, PlainFormForTheParametersSignedFormForTheCalibration) {
    Form1 form;
    AnalysisSettings settings;
    settings.bkg_shape = 0.5;
    settings.pkf_sens = 6;
    settings.cal_area_from = 0.5;
    settings.cal_area_to = 4095;
    settings.eng_cal_low = {200, 100, 2.6};
    settings.eng_cal_high = {4000, 2000, 3.5};
    show_values(form, settings);
    EXPECT_EQ(form.Text1.text, "0.5");
    EXPECT_EQ(form.Text2.text, "6");
    EXPECT_EQ(form.Text3[0].text, " .5");
    EXPECT_EQ(form.Text3[1].text, " 4095");
    EXPECT_EQ(form.Text4[0].text, " 200");
    EXPECT_EQ(form.Text5[0].text, " 100");
    EXPECT_EQ(form.Text6[0].text, " 2.6");
    EXPECT_EQ(form.Text4[1].text, " 4000");
    EXPECT_EQ(form.Text5[1].text, " 2000");
    EXPECT_EQ(form.Text6[1].text, " 3.5");
}

TEST(ShowManualPeaks, OneLinePerPeak) {
    Form1 form;
    AnalysisSettings settings;
    settings.manual_pk_count = 2;
    settings.manual_pk_ch[0] = 100;
    settings.manual_pk_ch[1] = 110.5;
    settings.manual_pk_ch[2] = 120;  // beyond the count: not shown
    show_manual_peaks(form, settings);
    EXPECT_EQ(form.Text7.text, " 100.00\r\n 110.50\r\n");
    settings.manual_pk_count = 0;
    show_manual_peaks(form, settings);
    EXPECT_EQ(form.Text7.text, "");
}

TEST(ShowManualPeaks, ACountBeyondTheStoredChannelsShowsOnlyThose) {
    Form1 form;
    AnalysisSettings settings;
    settings.manual_pk_count = 300;
    show_manual_peaks(form, settings);
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += " 0.00\r\n";
    EXPECT_EQ(form.Text7.text, seventeen);
    settings.manual_pk_count = -4;
    show_manual_peaks(form, settings);
    EXPECT_EQ(form.Text7.text, "");
}

}  // namespace
}  // namespace sorvane
