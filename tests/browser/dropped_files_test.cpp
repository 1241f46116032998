#include "browser/dropped_files.h"

#include <gtest/gtest.h>

#include "browser/windows_disk.h"
#include "form/file_list.h"

namespace sorvane {
namespace {

using Paths = std::vector<std::string>;

struct NameRow {
    const char* path;
    const char* name;
    const char* folder;
    const char* extension;
};

class DroppedNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(DroppedNames, NameFolderAndExtension) {
    MemoryFileSystem fs = windows_disk();
    fs.add_file("C:\\data\\a.b.res", "x");
    fs.add_file("C:\\data\\readme", "x");
    fs.add_file("C:\\data\\hidden.chn", "x", true);
    fs.add_file("C:\\data\\system.chn", "x", false, true);
    const NameRow& row = GetParam();
    EXPECT_EQ(file_name_of(row.path, fs), row.name);
    EXPECT_EQ(folder_of(row.path, fs), row.folder);
    EXPECT_EQ(extension_of(row.path, fs), row.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DroppedNames,
    ::testing::Values(NameRow{"C:\\data\\a.chn", "a.chn", "C:\\data\\", "chn"},
                      NameRow{"C:\\data\\a.b.res", "a.b.res", "C:\\data\\", "res"},
                      NameRow{"C:\\data\\readme", "readme", "C:\\data\\", ""},
                      NameRow{"C:\\data\\gone.chn", "", "C:\\data\\gone.chn", ""},
                      NameRow{"C:\\data\\spectra", "", "C:\\data\\spectra", ""},
                      NameRow{"C:\\data\\hidden.chn", "", "C:\\data\\hidden.chn", ""},
                      NameRow{"C:\\data\\system.chn", "", "C:\\data\\system.chn", ""}));

class RawListDrop : public ::testing::Test {
protected:
    RawListDrop() : built(windows_disk()) {}
    void add(const std::string& path) { built.fs.add_file(path, "x"); }
    void set_filter(const std::string& pattern) {
        set_file_list_pattern(built.form.File1[0], pattern, built.fs);
    }
    void drop(const std::optional<Paths>& paths) {
        raw_folder = File1_OLEDragDrop(built.form, built.trees, 0, paths, built.fs);
    }
    std::vector<std::string> selected() const { return built.form.File1[0].selected_names(); }

    BuiltTrees built;
    std::optional<std::string> raw_folder;  // what the last drop asks the caller to store
};

TEST_F(RawListDrop, TwoSpectraOpenTheirFolderAndAreSelected) {
    set_filter("*.chn");
    drop(Paths{"C:\\data\\a.chn", "C:\\data\\b.chn"});
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(raw_folder, "C:\\data\\");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    EXPECT_EQ(selected(), (std::vector<std::string>{"a.chn", "b.chn"}));
}

TEST_F(RawListDrop, TheExtensionTestKeepsCase) {
    add("C:\\data\\A.CHN");
    set_filter("*.chn");
    drop(Paths{"C:\\data\\A.CHN"});
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_TRUE(selected().empty());
}

TEST_F(RawListDrop, EntriesContainingTheNameAreSelectedIgnoringCase) {
    add("C:\\data\\aa.chn");
    add("C:\\data\\XA.CHN");
    set_filter("*.chn");
    drop(Paths{"C:\\data\\a.chn"});
    EXPECT_EQ(selected(), (std::vector<std::string>{"a.chn", "aa.chn", "XA.CHN"}));
}

TEST_F(RawListDrop, AFileWithoutExtensionSelectsNothing) {
    add("C:\\data\\readme");
    set_filter("*.*");
    drop(Paths{"C:\\data\\readme"});
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_TRUE(selected().empty());
}

TEST_F(RawListDrop, WithAllFilesNoDroppedFileQualifies) {
    set_filter("*.*");
    drop(Paths{"C:\\data\\a.chn", "C:\\data\\notes.txt"});
    EXPECT_TRUE(selected().empty());
}

TEST_F(RawListDrop, ASecondDropAddsToTheSelection) {
    set_filter("*.chn");
    drop(Paths{"C:\\data\\a.chn"});
    // The second drop opens the same folder again: nothing is deselected.
    drop(Paths{"C:\\data\\c.chn"});
    EXPECT_EQ(selected(), (std::vector<std::string>{"a.chn", "c.chn"}));
    drop(Paths{"C:\\data\\spectra\\s.chn"});
    EXPECT_EQ(selected(), (std::vector<std::string>{"s.chn"}));
}

TEST_F(RawListDrop, ADroppedFolderOpensItsParent) {
    set_filter("*.chn");
    drop(Paths{"C:\\data\\spectra"});
    EXPECT_EQ(raw_folder, "C:\\data\\spectra");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_TRUE(selected().empty());
}

TEST_F(RawListDrop, DataWithoutAFileListChangesNothing) {
    drop(std::nullopt);
    drop(Paths{});
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
    EXPECT_EQ(raw_folder, std::nullopt);
}

TEST_F(RawListDrop, AFolderBelowAHiddenOneOpens) {
    built.fs.add_hidden_folder("C:\\secret");
    add("C:\\secret\\in\\a.chn");
    build_drive_trees(built.trees, built.fs);
    set_filter("*.chn");
    drop(Paths{"C:\\secret\\in\\a.chn"});
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\secret\\in\\");
    EXPECT_EQ(selected(), std::vector<std::string>{"a.chn"});
}

TEST_F(RawListDrop, AFolderTheTreeCannotShowIsCaught) {
    // Drive Z: is not among the machine's drives, so no tree holds it.
    add("Z:\\secret\\a.chn");
    set_filter("*.chn");
    EXPECT_NO_THROW(drop(Paths{"Z:\\secret\\a.chn"}));
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
    EXPECT_TRUE(selected().empty());
}

TEST_F(RawListDrop, MoreThan2048NamesAreAllHandled) {
    Paths dropped;
    for (int n = 0; n < 2050; ++n) {
        const std::string path = "C:\\many\\s" + std::to_string(10000 + n) + ".chn";
        add(path);
        dropped.push_back(path);
    }
    build_drive_trees(built.trees, built.fs);
    set_filter("*.chn");
    drop(dropped);
    EXPECT_EQ(selected().size(), 2050u);
}

TEST(ResultListDrop, AFolderOpensItsParentAndSelectsNothing) {
    BuiltTrees built(windows_disk());
    const auto raw_folder =
        File1_OLEDragDrop(built.form, built.trees, 1, Paths{"C:\\data\\spectra"}, built.fs);
    EXPECT_EQ(built.form.Text9[1].text, "open dir: C:\\data\\");
    EXPECT_EQ(built.form.File1[1].folder, "C:\\data");
    EXPECT_TRUE(built.form.File1[1].selected_names().empty());
    EXPECT_EQ(raw_folder, std::nullopt);
}

TEST(ResultListDrop, AFileOpensItsFolder) {
    BuiltTrees built(windows_disk());
    File1_OLEDragDrop(built.form, built.trees, 1, Paths{"C:\\data\\spectra\\s.chn"}, built.fs);
    EXPECT_EQ(built.form.Text9[1].text, "open dir: C:\\data\\spectra\\");
}

TEST(ResultListDrop, AFailedOpenIsCaught) {
    BuiltTrees built(windows_disk());
    EXPECT_NO_THROW(File1_OLEDragDrop(built.form, built.trees, 1, Paths{"nowhere"}, built.fs));
    EXPECT_EQ(built.form.Text9[1].text, "Text9");
}

}  // namespace
}  // namespace sorvane
