#include "control/control_file.h"

#include <gtest/gtest.h>

#include "control/collect_settings.h"
#include "form/option_groups.h"
#include "form_fixture.h"
#include "support/control_text.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

const std::string run_file = "C:\\WINDOWS\\sorvane.inf";

class ControlFile : public FormFixture {
protected:
    void select_both_spectra() {
        ASSERT_EQ(form.File1[0].entries, (std::vector<std::string>{"spec1.chn", "spec2.chn"}));
        form.File1[0].set_selected(0, true);
        form.File1[0].set_selected(1, true);
    }
};

TEST_F(ControlFile, DefaultsWithAllChannelsByteForByte) {
    ASSERT_EQ(collect_settings(form, settings, files, ui, false), 0);
    select_both_spectra();
    ASSERT_TRUE(write_control_file(form, settings, run_file, files, ui));
    EXPECT_EQ(files.contents(run_file), default_control_text("01", "00000 00000 "));
    EXPECT_FALSE(files.file_exists(run_file + ".tmp"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ControlFile, DefaultsWithManualCalAreaByteForByte) {
    select_option(form, OptionGroup::Option6, 1);
    ASSERT_EQ(collect_settings(form, settings, files, ui, false), 0);
    select_both_spectra();
    ASSERT_TRUE(write_control_file(form, settings, run_file, files, ui));
    EXPECT_EQ(files.contents(run_file), default_control_text("00", "00100 04095 "));
}

TEST_F(ControlFile, OnlySelectedEntriesAreListedAndAFourCharacterNameGivesAnEmptyLine) {
    files.add_file("C:\\data\\abcd", "x");
    select_type_position(form, 11, files);
    ASSERT_EQ(form.File1[0].entries, (std::vector<std::string>{"abcd", "spec1.chn", "spec2.chn"}));
    form.File1[0].set_selected(0, true);
    form.File1[0].set_selected(2, true);
    ASSERT_TRUE(write_control_file(form, settings, run_file, files, ui));
    const std::string text = *files.contents(run_file);
    EXPECT_EQ(text.substr(text.find("[file name]")), crlf_lines({"[file name]", "", "spec2"}));
}

TEST_F(ControlFile, AnOldFileIsReplacedWhole) {
    files.add_file(run_file, std::string(5000, 'x'));
    ASSERT_TRUE(write_control_file(form, settings, run_file, files, ui));
    const std::string text = *files.contents(run_file);
    EXPECT_EQ(text.rfind("[system dir]\r\n", 0), 0u);
    EXPECT_EQ(text.find('x'), std::string::npos);
}

TEST_F(ControlFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    files.add_file(run_file, "old contents");
    files.limit_file_size(100);
    EXPECT_FALSE(write_control_file(form, settings, run_file, files, ui));
    EXPECT_EQ(files.contents(run_file), "old contents");
    EXPECT_FALSE(files.file_exists(run_file + ".tmp"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(run_file), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find("No space left on device"), std::string::npos);
    EXPECT_EQ(ui.messages[0].title, "Sorvane2006");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::ok);
}

TEST_F(ControlFile, AFolderThatCannotBeMadeIsReported) {
    files.add_file("C:\\nowhere", "a file where the folder would go");
    EXPECT_FALSE(write_control_file(form, settings, "C:\\nowhere\\set.opa", files, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("C:\\nowhere\\set.opa"), std::string::npos);
}

TEST_F(ControlFile, TheSettingsFolderIsMadeWithItsParentsOnAFreshAccount) {
    const std::string fresh = "E:\\Users\\ann\\AppData\\Roaming\\Sorvane\\sorvane.inf";
    ASSERT_FALSE(files.folder_exists("E:\\Users"));
    EXPECT_TRUE(write_control_file(form, settings, fresh, files, ui));
    EXPECT_EQ(files.contents(fresh)->rfind("[system dir]\r\n", 0), 0u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ControlFile, RunFileLivesInTheSystemFolder) {
    EXPECT_EQ(run_file_path(settings, files), run_file);
}

TEST_F(ControlFile, ReadingWithoutAFileChangesNothing) {
    const AnalysisSettings before = settings;
    const std::string text1 = form.Text1.text;
    EXPECT_EQ(read_control_file(form, settings, run_file, files), 0);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(form.Text1.text, text1);
}

TEST_F(ControlFile, ReadingFindsTheFileIgnoringCaseAndShowsTheValues) {
    files.add_file("C:\\WINDOWS\\SORVANE.INF",
                   test_data("control/manual_cal_twice.inf") +
                       crlf_lines({"[BKG shape]", " 0.5 ", "[Cal area]", "00100 04095 "}));
    EXPECT_EQ(read_control_file(form, settings, run_file, files), -1);
    EXPECT_EQ(settings.bkg_shape, 0.5);
    EXPECT_EQ(form.Text1.text, "0.5");
    EXPECT_EQ(form.Text3[0].text, " 100");
    EXPECT_EQ(form.Text3[1].text, " 4095");
    EXPECT_EQ(form.Text7.text, " 100.00\r\n 110.50\r\n");
    // Fields of sections that are missing are shown from the record as it is.
    EXPECT_EQ(form.Text4[0].text, " 0");
}

TEST_F(ControlFile, SystemFolderOfTheFileReplacesOursWhenItExists) {
    files.add_folder("D:\\sorvane");
    files.add_file(run_file, test_data("control/other_system_dir.inf"));
    EXPECT_EQ(read_control_file(form, settings, run_file, files), -1);
    EXPECT_EQ(settings.system_dir, "D:\\sorvane");
    EXPECT_EQ(settings.chn_dir, "D:\\raw\\");
}

TEST_F(ControlFile, SystemFolderThatDoesNotExistIsIgnored) {
    files.add_file(run_file, test_data("control/other_system_dir.inf"));
    EXPECT_EQ(read_control_file(form, settings, run_file, files), -1);
    EXPECT_EQ(settings.system_dir, "C:\\WINDOWS");
    EXPECT_EQ(settings.chn_dir, "D:\\raw\\");  // the other folders are taken as they are
}

TEST_F(ControlFile, AFolderUnderTheNameIsNoFile) {
    files.add_folder("C:\\WINDOWS\\sorvane.inf");
    EXPECT_EQ(read_control_file(form, settings, run_file, files), 0);
}

TEST_F(ControlFile, ShortNamesAreNoControlFile) {
    files.add_file("C:\\WINDOWS\\a.b", crlf_lines({"[PKF sens]", "5"}));
    EXPECT_EQ(read_control_file(form, settings, "C:\\WINDOWS\\a.b", files), 0);
    files.add_file("C:\\WINDOWS\\ab.c", crlf_lines({"[PKF sens]", "5"}));
    EXPECT_EQ(read_control_file(form, settings, "C:\\WINDOWS\\ab.c", files), -1);
    EXPECT_EQ(settings.pkf_sens, 5);
}

}  // namespace
}  // namespace sorvane
