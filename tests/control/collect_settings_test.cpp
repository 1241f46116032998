#include "control/collect_settings.h"

#include <gtest/gtest.h>

#include "form/option_groups.h"
#include "form_fixture.h"

namespace sorvane {
namespace {

using CollectSettings = FormFixture;

TEST_F(CollectSettings, DefaultsPassAndFillTheRecord) {
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(settings.chn_dir, "C:\\data\\");
    EXPECT_EQ(settings.res_dir, "C:\\res\\");
    EXPECT_EQ(settings.user_inf, "user inf");
    EXPECT_EQ(settings.cntl_option,
              (std::array<std::int16_t, 12>{0, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(settings.bkg_shape, 10.0);
    EXPECT_EQ(settings.pkf_sens, 6.0);
    EXPECT_EQ(settings.cal_area_from, 0);
    EXPECT_EQ(settings.cal_area_to, 0);
    EXPECT_EQ(settings.eng_cal_low, (EnergyPoint{200, 100, 2.6}));
    EXPECT_EQ(settings.eng_cal_high, (EnergyPoint{4000, 2000, 3.5}));
}

TEST_F(CollectSettings, OtherButtonsGiveTheirCodesAndElementNineStays) {
    settings.cntl_option[9] = 7;
    select_option(form, OptionGroup::Option2, 1);
    select_option(form, OptionGroup::Option3, 1);
    select_option(form, OptionGroup::Option4, 1);
    select_option(form, OptionGroup::Option5, 2);
    select_option(form, OptionGroup::Option7, 1);
    select_option(form, OptionGroup::Option8, 2);
    select_type_position(form, 2, files);
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0);
    EXPECT_EQ(settings.cntl_option,
              (std::array<std::int16_t, 12>{0, 1, 2, 1, 2, 0, 1, 2, 9, 7, 0, 0}));
}

struct StatusCase {
    const char* name;
    void (*change)(Form1&, AnalysisSettings&);
    int status;
    const char* message;
};

const StatusCase status_cases[] = {
    {"runtime missing", [](Form1&, AnalysisSettings& s) { s.run_time_dir = "C:\\other\\"; }, -40,
     "Set fullpath of runtime by MenuBar->File->runtime."},
    {"runtime folder without separator",
     [](Form1&, AnalysisSettings& s) { s.run_time_dir = "C:\\rt"; }, -40,
     "Set fullpath of runtime by MenuBar->File->runtime."},
    {"cal area runs downwards",
     [](Form1& f, AnalysisSettings&) {
         select_option(f, OptionGroup::Option6, 1);
         f.Text3[0].text = "4095";
         f.Text3[1].text = "100";
     },
     -20, "Cal area. is not suitable on manual setting."},
    {"equal cal area",
     [](Form1& f, AnalysisSettings&) {
         select_option(f, OptionGroup::Option6, 1);
         f.Text3[1].text = "100";
     },
     -20, "Cal area. is not suitable on manual setting."},
    {"channels", [](Form1& f, AnalysisSettings&) { f.Text4[0].text = "4000"; }, -30,
     "Energy calib.of CH is not suitable on manual setting."},
    {"energies with automatic calibration",
     [](Form1& f, AnalysisSettings&) {
         f.Text5[0].text = "2000";
         f.Text5[1].text = "100";
     },
     -31, "Energy calib. of Energy is not suitable on manual setting."},
    {"widths", [](Form1& f, AnalysisSettings&) { f.Text6[0].text = "3.5"; }, -32,
     "Energy calib. of FWHM is not suitable on manual setting."},
    {"runtime missing and channels: only the channel message",
     [](Form1& f, AnalysisSettings& s) {
         s.run_time_dir = "";
         f.Text4[1].text = "200";
     },
     -30, "Energy calib.of CH is not suitable on manual setting."},
    {"cal area and widths: the widths decide",
     [](Form1& f, AnalysisSettings&) {
         select_option(f, OptionGroup::Option6, 1);
         f.Text3[0].text = "5000";
         f.Text6[1].text = "1";
     },
     -32, "Energy calib. of FWHM is not suitable on manual setting."},
    {"channels and energies: the energies decide",
     [](Form1& f, AnalysisSettings&) {
         f.Text4[0].text = "9000";
         f.Text5[0].text = "9000";
     },
     -31, "Energy calib. of Energy is not suitable on manual setting."},
};

TEST_F(CollectSettings, EachStatusWithItsOneMessage) {
    for (const StatusCase& c : status_cases) {
        Form1 window = form;
        AnalysisSettings record = settings;
        ScriptedUi person;
        c.change(window, record);
        EXPECT_EQ(collect_settings(window, record, files, person, false), c.status) << c.name;
        ASSERT_EQ(person.messages.size(), 1u) << c.name;
        EXPECT_EQ(person.messages[0].text, c.message) << c.name;
        EXPECT_EQ(person.messages[0].title, "OPTION error") << c.name;
        EXPECT_EQ(person.messages[0].buttons, Buttons::ok) << c.name;
    }
}

TEST_F(CollectSettings, RuntimeIsFoundIgnoringCaseAndByPlainConcatenation) {
    files.add_file("C:\\toolsRUN_TOVALU.EXE", "MZ");
    settings.run_time_dir = "C:\\tools";
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0);
    files.add_folder("C:\\dir\\run_tovalu.exe");
    settings.run_time_dir = "C:\\dir\\";
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), -40);
}

TEST_F(CollectSettings, AllChannelsNeitherReadsNorTestsTheCalAreaFields) {
    form.Text3[0].text = "4095";
    form.Text3[1].text = "100";
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0);
    EXPECT_EQ(settings.cal_area_from, 0);
    EXPECT_EQ(settings.cal_area_to, 0);
}

TEST_F(CollectSettings, BoundedParametersAreForcedSilentlyAndTheFieldsKeepTheirText) {
    struct Case {
        const char* bkg;
        const char* pkf;
        double bkg_value;
        double pkf_value;
    };
    const Case cases[] = {
        {"20", "abc", 10.0, 3.0},
        {"0.01", "9", 0.1, 8.0},
        {"2.5", "4.5", 2.5, 4.5},
        {"-1", "", 0.1, 3.0},
    };
    for (const Case& c : cases) {
        form.Text1.text = c.bkg;
        form.Text2.text = c.pkf;
        EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0) << c.bkg;
        EXPECT_EQ(settings.bkg_shape, c.bkg_value) << c.bkg;
        EXPECT_EQ(settings.pkf_sens, c.pkf_value) << c.pkf;
        EXPECT_EQ(form.Text1.text, c.bkg);
        EXPECT_EQ(form.Text2.text, c.pkf);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CollectSettings, EditedDirectoryFieldsGiveTheirTail) {
    form.Text9[0].text = "abc";
    form.Text9[1].text = "Text9";
    collect_settings(form, settings, files, ui, false);
    EXPECT_EQ(settings.chn_dir, "");
    EXPECT_EQ(settings.res_dir, "");
}

TEST_F(CollectSettings, AutoEmptiesTheManualPeakList) {
    settings.manual_pk_count = 3;
    settings.manual_pk_ch[0] = 100;
    form.Text7.text = " 100.00\r\n";
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), 0);
    EXPECT_EQ(settings.manual_pk_count, 0);
    EXPECT_EQ(settings.manual_pk_ch[0], 0);
    EXPECT_EQ(form.Text7.text, "");
}

TEST_F(CollectSettings, RecordKeepsWhatWasCollectedAlsoOnError) {
    form.Text4[0].text = "4000";
    form.Text8.text = "note";
    EXPECT_EQ(collect_settings(form, settings, files, ui, false), -30);
    EXPECT_EQ(settings.eng_cal_low.ch, 4000);
    EXPECT_EQ(settings.user_inf, "note");
}

}  // namespace
}  // namespace sorvane
