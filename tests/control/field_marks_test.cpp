#include "control/field_marks.h"

#include <gtest/gtest.h>

#include "control/collect_settings.h"
#include "form/option_groups.h"
#include "form_fixture.h"

namespace sorvane {
namespace {

struct NoteRow {
    const char* text;
    double used;
    const char* note;
};

class UsedAsNote : public ::testing::TestWithParam<NoteRow> {};

TEST_P(UsedAsNote, OnlyATextNotUsedAsTypedGetsANote) {
    EXPECT_EQ(used_as_note(GetParam().text, GetParam().used), GetParam().note);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsedAsNote,
    ::testing::Values(NoteRow{" .5", 0.5, ""}, NoteRow{"+4,0 ", 4, ""}, NoteRow{"1e3", 1000, ""},
                      NoteRow{"0.1", 0.1, ""}, NoteRow{"2,5", 2, "used as 2"},
                      NoteRow{"0.01", 0.1, "used as 0.1"}, NoteRow{"abc", 3, "used as 3"},
                      NoteRow{"", 0, "used as 0"}, NoteRow{"1.2.3", 1.2, "used as 1.2"},
                      NoteRow{"1e999", 0, "used as 0"}));

class FieldMarks : public FormFixture {};

TEST_F(FieldMarks, CollectingMarksTheFieldsItReadUntilTheyAreEdited) {
    form.Text1.text = "20";
    form.Text3[0].text = "x";
    collect_settings(form, settings, files, ui, false);
    EXPECT_EQ(form.Text1.mark(), "used as 10");
    EXPECT_EQ(form.Text2.mark(), "");
    EXPECT_EQ(form.Text3[0].mark(), "") << "\"All CH\" does not read the range";
    form.Text1.text = "2";
    EXPECT_EQ(form.Text1.mark(), "");
    select_option(form, OptionGroup::Option6, 1);
    collect_settings(form, settings, files, ui, false);
    EXPECT_EQ(form.Text3[0].mark(), "used as 0");
}

}  // namespace
}  // namespace sorvane
