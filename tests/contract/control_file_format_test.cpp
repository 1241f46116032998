#include "contract/control_file_format.h"

#include <gtest/gtest.h>

#include "support/control_text.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The record that "SET Default" and a collect give, with "All CH" and the CHN type.
AnalysisSettings default_record() {
    AnalysisSettings settings;
    settings.system_dir = "C:\\WINDOWS";
    settings.chn_dir = "C:\\data\\";
    settings.res_dir = "C:\\res\\";
    settings.run_time_dir = "C:\\rt\\";
    settings.cntl_option = {0, 0, 0, 0, 1, 1, 1, 0, 1, 0};
    settings.bkg_shape = 10;
    settings.pkf_sens = 6;
    settings.eng_cal_low = {200, 100, 2.6};
    settings.eng_cal_high = {4000, 2000, 3.5};
    settings.user_inf = "user inf";
    return settings;
}

TEST(ControlFileFormat, DefaultSettingsByteForByte) {
    EXPECT_EQ(render_control_file(default_record(), {"spec1", "spec2"}), default_control_text());
}

TEST(ControlFileFormat, ManualCalAreaAndPeaksAndPositions) {
    AnalysisSettings settings = default_record();
    settings.cntl_option = {1, 1, 2, 1, 4, 0, 0, 2, 30, 12};
    settings.bkg_shape = 0.5;
    settings.pkf_sens = 3.25;
    settings.cal_area_from = 100;
    settings.cal_area_to = 4095;
    settings.manual_pk_count = 2;
    settings.manual_pk_ch[0] = 100;
    settings.manual_pk_ch[1] = 110.5;
    settings.form_pos[1] = {1200, -300, 9000, 12000};
    const std::string text = render_control_file(settings, {});
    EXPECT_NE(text.find("[CNTL option]\r\n01 01 02 01 04 00 00 02 30 12 \r\n"), std::string::npos);
    EXPECT_NE(text.find("[BKG shape]\r\n 0.5 \r\n[PKF sens]\r\n 3.25 \r\n"), std::string::npos);
    EXPECT_NE(text.find("[Cal area]\r\n00100 04095 \r\n"), std::string::npos);
    EXPECT_NE(text.find("[Manual cal]\r\n2\r\n\r\n00100.00 \r\n00110.50 \r\n00000.00 \r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[form pos]\r\n0,0,0,0\r\n1200,-300,9000,12000\r\n0,0,0,0\r\n"),
              std::string::npos);
    // Nothing listed: the file ends with the tag line.
    EXPECT_EQ(text.substr(text.size() - 13), "[file name]\r\n");
}

TEST(ControlFileFormat, EmptyUserTextAndShortNamesGiveEmptyLines) {
    AnalysisSettings settings = default_record();
    settings.user_inf.clear();
    const std::string text = render_control_file(settings, {"", "abcdefgh"});
    EXPECT_NE(text.find("[/user inf]\r\n\r\n[user inf/]\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("[file name]")), "[file name]\r\n\r\nabcdefgh\r\n");
}

TEST(ControlFileFormat, UserTextIsCutAt128Bytes) {
    AnalysisSettings settings = default_record();
    const std::string kept(128, 'k');
    settings.user_inf = kept + "xy";
    const std::string text = render_control_file(settings, {});
    EXPECT_NE(text.find("[/user inf]\r\n" + kept + "\r\n[user inf/]\r\n"), std::string::npos);
}

TEST(ControlFileFormat, CutNeverSplitsAUtf8Sequence) {
    const std::string e_acute = "\xC3\xA9";   // two bytes
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    EXPECT_EQ(cut_user_text(std::string(127, 'a') + e_acute), std::string(127, 'a'));
    EXPECT_EQ(cut_user_text(std::string(126, 'a') + e_acute + "b"),
              std::string(126, 'a') + e_acute);
    EXPECT_EQ(cut_user_text(std::string(126, 'a') + euro), std::string(126, 'a'));
    EXPECT_EQ(cut_user_text(std::string(125, 'a') + euro + "z"), std::string(125, 'a') + euro);
    // Single bytes of an 8-bit code page are cut where they are.
    EXPECT_EQ(cut_user_text(std::string(127, 'a') + "\xE9" + "bc"), std::string(127, 'a') + "\xE9");
    EXPECT_EQ(cut_user_text("short"), "short");
}

TEST(ControlFileFormat, LineBreaksInsideTheUserTextSpanLines) {
    AnalysisSettings settings = default_record();
    settings.user_inf = "first\r\nsecond";
    const std::string text = render_control_file(settings, {});
    EXPECT_NE(text.find("[/user inf]\r\nfirst\r\nsecond\r\n[user inf/]\r\n"), std::string::npos);
}

TEST(ControlFileFormat, LayoutTableOrder) {
    const char* tags[] = {"[system dir]",  "[chn dir]",    "[res dir]",   "[run time dir]",
                          "[CNTL option]", "[BKG shape]",  "[PKF sens]",  "[Cal area]",
                          "[Eng cal]",     "[Manual cal]", "[/user inf]", "[form pos]",
                          "[file name]"};
    ASSERT_EQ(control_file_layout.size(), std::size(tags));
    for (std::size_t i = 0; i < std::size(tags); ++i)
        EXPECT_EQ(control_file_layout[i].tag, tags[i]);
}

// Reading.

TEST(ControlFileParse, OnlyPkfSensChangesOnlyItAndEmptiesTheUserText) {
    AnalysisSettings settings = default_record();
    AnalysisSettings expected = settings;
    expected.pkf_sens = 5;
    expected.user_inf.clear();
    parse_control_file(test_data("control/pkf_sens_only.inf"), settings);
    EXPECT_EQ(settings, expected);
}

TEST(ControlFileParse, LastBkgShapeWins) {
    AnalysisSettings settings;
    parse_control_file(test_data("control/bkg_shape_twice.inf"), settings);
    EXPECT_EQ(settings.bkg_shape, 7.25);
    EXPECT_EQ(settings.pkf_sens, 4);
}

TEST(ControlFileParse, FirstManualCalWins) {
    AnalysisSettings settings;
    settings.manual_pk_ch[5] = 9;
    parse_control_file(test_data("control/manual_cal_twice.inf"), settings);
    EXPECT_EQ(settings.manual_pk_count, 2);
    EXPECT_EQ(settings.manual_pk_ch[0], 100);
    EXPECT_EQ(settings.manual_pk_ch[1], 110.5);
    EXPECT_EQ(settings.manual_pk_ch[5], 0);
}

TEST(ControlFileParse, UserTextWithACommaComesBackAsTwoLines) {
    AnalysisSettings settings;
    settings.user_inf = "old";
    parse_control_file(test_data("control/user_text_commas.inf"), settings);
    EXPECT_EQ(settings.user_inf, "a\r\nb\r\nsecond line\r\n");
}

TEST(ControlFileParse, DamagedValuesKeepTheirOldFields) {
    AnalysisSettings settings;
    settings.cntl_option = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    settings.bkg_shape = 3;
    settings.cal_area_to = 77;
    settings.form_pos[1].width = 55;
    settings.form_pos[2] = {8, 8, 8, 8};
    settings.user_inf = "old";
    parse_control_file(test_data("control/damaged.inf"), settings);
    EXPECT_EQ(settings.cntl_option,
              (std::array<std::int16_t, 12>{1, 9, 2, 1, 4, 0, 0, 2, 10, 0, 0, 0}));
    EXPECT_EQ(settings.bkg_shape, 3);
    EXPECT_EQ(settings.cal_area_from, 200);
    EXPECT_EQ(settings.cal_area_to, 77);
    EXPECT_EQ(settings.eng_cal_low, (EnergyPoint{300, 150, 2.8}));
    // A comma separates values as a blank does.
    EXPECT_EQ(settings.eng_cal_high, (EnergyPoint{4100, 2, 1000}));
    EXPECT_EQ(settings.form_pos[0], (FormPosition{1, 2, 3, 4}));
    EXPECT_EQ(settings.form_pos[1], (FormPosition{5, 6, 7, 55}));
    EXPECT_EQ(settings.form_pos[2], (FormPosition{8, 8, 8, 8}));
    EXPECT_EQ(settings.user_inf, "");
}

TEST(ControlFileParse, TagsMatchWholeLinesExactly) {
    AnalysisSettings settings;
    settings.bkg_shape = 1;
    parse_control_file(
        crlf_lines({"[bkg shape]", " 5 ", " [BKG shape]", " 6 ", "[BKG shape] ", " 7 "}), settings);
    EXPECT_EQ(settings.bkg_shape, 1);
}

TEST(ControlFileParse, FileNamesAreReadForTheRuntime) {
    const std::string text = render_control_file(default_record(), {"spec1", "", "spec3"});
    EXPECT_EQ(read_file_name_section(text), (std::vector<std::string>{"spec1", "", "spec3"}));
    EXPECT_TRUE(read_file_name_section(crlf_lines({"[BKG shape]", " 5 "})).empty());
}

}  // namespace
}  // namespace sorvane
