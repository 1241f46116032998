#include "control/manual_peaks.h"

#include <gtest/gtest.h>

#include "control/collect_settings.h"
#include "form/option_groups.h"
#include "form_fixture.h"

namespace sorvane {
namespace {

constexpr const char* count_prompt = "Manual PK ch Input: How many peak(s)? max=10";

class ManualPeaks : public FormFixture {
protected:
    ManualPeaks() { select_option(form, OptionGroup::Option1, 1); }

    void answer(std::initializer_list<const char*> texts) {
        for (const char* text : texts) ui.input_answers.emplace_back(text);
    }
    std::int16_t collect() { return collect_settings(form, settings, files, ui, false); }
};

TEST_F(ManualPeaks, TwelveAsksForTenChannels) {
    answer({"12", "100", "101", "102", "103", "104", "105", "106", "107", "108", "109"});
    EXPECT_EQ(collect(), 0);
    EXPECT_EQ(settings.manual_pk_count, 10);
    EXPECT_EQ(settings.manual_pk_ch[9], 109);
    EXPECT_EQ(settings.cntl_option[0], 1);
    EXPECT_EQ(ui.prompts.size(), 11u);
    EXPECT_TRUE(ui.input_answers.empty());
    EXPECT_EQ(form.Text7.text.substr(0, 18), " 100.00\r\n 101.00\r\n");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ManualPeaks, PromptsListTheEarlierPeaks) {
    answer({"3", "100", "110.5", "120"});
    EXPECT_EQ(collect(), 0);
    ASSERT_EQ(ui.prompts.size(), 4u);
    EXPECT_EQ(ui.prompts[0], count_prompt);
    EXPECT_EQ(ui.prompts[1], "Manual PK ch Input: \r\nInput PK ch\r\n");
    EXPECT_EQ(ui.prompts[2], "Manual PK ch Input: PK 1 = 100.00\r\n\r\nInput PK ch\r\n");
    EXPECT_EQ(ui.prompts[3],
              "Manual PK ch Input: PK 1 = 100.00\r\nPK 2 = 110.50\r\n\r\nInput PK ch\r\n");
    EXPECT_EQ(form.Text7.text, " 100.00\r\n 110.50\r\n 120.00\r\n");
}

TEST_F(ManualPeaks, ZeroBlankNegativeAndHugeCountsAreAskedAgain) {
    answer({"0", "", "-3", "40000", "2.5", "100", "125"});
    EXPECT_EQ(collect(), 0);
    EXPECT_EQ(ui.prompts.size(), 7u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ui.prompts[i], count_prompt);
    // 2.5 rounds to 2; a step of exactly 25 is accepted.
    EXPECT_EQ(settings.manual_pk_count, 2);
    EXPECT_EQ(settings.manual_pk_ch[1], 125);
}

TEST_F(ManualPeaks, MinusOneGivesUpWithTwoMessages) {
    answer({"-1"});
    EXPECT_EQ(collect(), -50);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "PK ch cannot set. \r\nTry again !");
    EXPECT_EQ(ui.messages[0].title, "CH INPUT error");
    EXPECT_EQ(ui.messages[1].text, "Manual PK ch is not set.");
    EXPECT_EQ(ui.messages[1].title, "OPTION error");
    EXPECT_EQ(settings.manual_pk_count, 0);
    EXPECT_TRUE(form.Option1[1].selected);  // the next collect asks again
    EXPECT_EQ(settings.cntl_option[0], 1);
}

TEST_F(ManualPeaks, TooWideASpanSwitchesToAuto) {
    answer({"3", "100", "125.5"});
    EXPECT_EQ(collect(), -50);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Too wide ch span !!");
    EXPECT_EQ(ui.messages[0].title, "CH INPUT error");
    EXPECT_EQ(ui.messages[1].text, "Manual PK ch is not set.");
    EXPECT_TRUE(form.Option1[0].selected);
    EXPECT_FALSE(form.Frame15.visible);
    EXPECT_EQ(settings.cntl_option[0], 0);
    EXPECT_EQ(settings.manual_pk_count, 0);
    EXPECT_EQ(settings.manual_pk_ch[0], 0);
    EXPECT_EQ(form.Text7.text, " 100.00\r\n");  // until the next collect
    EXPECT_EQ(collect(), 0);
    EXPECT_EQ(form.Text7.text, "");
}

TEST_F(ManualPeaks, ASpanDownwardsCountsToo) {
    answer({"2", "200", "174"});
    EXPECT_EQ(collect(), -50);
    EXPECT_EQ(ui.messages[0].text, "Too wide ch span !!");
}

TEST_F(ManualPeaks, YesKeepsASavedListAndAsksNothingMore) {
    settings.manual_pk_count = 3;
    settings.manual_pk_ch[0] = 100;
    ui.answers.push_back(Answer::yes);
    EXPECT_EQ(collect(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "PK ch is OK ?");
    EXPECT_EQ(ui.messages[0].title, "Manual PK search");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::yes_no);
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_EQ(settings.manual_pk_count, 3);
    EXPECT_EQ(settings.manual_pk_ch[0], 100);
}

TEST_F(ManualPeaks, NoEntersANewList) {
    settings.manual_pk_count = 3;
    settings.manual_pk_ch[2] = 150;
    ui.answers.push_back(Answer::no);
    answer({"1", "42"});
    EXPECT_EQ(collect(), 0);
    EXPECT_EQ(settings.manual_pk_count, 1);
    EXPECT_EQ(settings.manual_pk_ch[0], 42);
    EXPECT_EQ(settings.manual_pk_ch[2], 0);
    EXPECT_EQ(form.Text7.text, " 42.00\r\n");
}

TEST_F(ManualPeaks, NoDialogAtExit) {
    settings.run_time_dir = "C:\\gone\\";
    EXPECT_EQ(collect_settings(form, settings, files, ui, true), -40);
    EXPECT_TRUE(ui.prompts.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Set fullpath of runtime by MenuBar->File->runtime.");
}

TEST_F(ManualPeaks, ACancelledCountIsAskedAgain) {
    ui.input_answers.emplace_back(std::nullopt);
    answer({"1", "100"});
    EXPECT_EQ(collect(), 0);
    EXPECT_EQ(ui.prompts.at(1), count_prompt);
    EXPECT_EQ(settings.manual_pk_count, 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ManualPeaks, CancellingTheCountEndsTheEntryWhenNobodyAnswers) {
    ui.input_answers.emplace_back(std::nullopt);
    EXPECT_EQ(collect(), -50);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Manual PK ch is not set.");
}

TEST_F(ManualPeaks, CancelledChannelIsZero) {
    ui.input_answers.emplace_back("1");
    ui.input_answers.emplace_back(std::nullopt);
    EXPECT_EQ(input_manual_peaks(form, settings, ui), 0);
    EXPECT_EQ(settings.manual_pk_count, 1);
    EXPECT_EQ(form.Text7.text, " 0.00\r\n");
}

TEST_F(ManualPeaks, ClearEmptiesListAndField) {
    settings.manual_pk_count = 2;
    settings.manual_pk_ch[16] = 5;
    form.Text7.text = "x";
    clear_manual_peaks(form, settings);
    EXPECT_EQ(settings.manual_pk_count, 0);
    EXPECT_EQ(settings.manual_pk_ch[16], 0);
    EXPECT_EQ(form.Text7.text, "");
}

}  // namespace
}  // namespace sorvane
