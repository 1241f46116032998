#include "browser/open_tree_at.h"

#include <gtest/gtest.h>

#include "browser/windows_disk.h"
#include "form/file_list.h"

namespace sorvane {
namespace {

class OpenTreeAt : public ::testing::Test {
protected:
    OpenTreeAt() : built(windows_disk()) {}
    void open(int index, std::string_view folder) {
        open_tree_at(built.form, built.trees, index, folder, built.fs);
    }
    BuiltTrees built;
};

TEST_F(OpenTreeAt, OpensEveryLevelDownToTheFolder) {
    open(0, "C:\\data\\spectra\\");
    EXPECT_TRUE(built.at("a-1").expanded);
    EXPECT_TRUE(built.at("a-1-2").expanded);
    EXPECT_TRUE(built.at("a-1-2-2").expanded);
    EXPECT_EQ(built.at("a-1-2-2").image, "open");
    EXPECT_TRUE(built.at("a-1-2-2").selected);
    EXPECT_EQ(built.at("a-1-2").image, "Close");
    EXPECT_EQ(built.trees.open_node[0], built.node("a-1-2-2"));
    EXPECT_EQ(built.form.File1[0].folder, "C:\\data\\spectra");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\spectra\\");
}

TEST_F(OpenTreeAt, MatchesIgnoringCaseAndShowsTheGivenText) {
    set_file_list_pattern(built.form.File1[0], "*.chn", built.fs);
    open(0, "c:\\DATA\\");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    EXPECT_TRUE(built.at("a-1-2").selected);
    EXPECT_EQ(built.form.Text9[0].text, "open dir: c:\\DATA\\");
    EXPECT_EQ(built.form.File1[0].folder, "c:\\DATA");
    EXPECT_EQ(built.form.File1[0].entries, (std::vector<std::string>{"a.chn", "b.chn", "c.chn"}));
}

TEST_F(OpenTreeAt, ADriveRootIsSelectedWithoutImageChange) {
    open(0, "C:\\");
    EXPECT_EQ(built.at("a-1").image, "Drive");
    EXPECT_TRUE(built.at("a-1").selected);
    EXPECT_EQ(built.form.File1[0].folder, "C:");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\");
}

TEST_F(OpenTreeAt, TextWithoutFinalSeparatorOpensItsParent) {
    open(0, "C:\\data\\spectra");
    EXPECT_TRUE(built.at("a-1-2").selected);
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
}

TEST_F(OpenTreeAt, TheResultTreeUsesItsOwnNodesAndFields) {
    open(1, "D:\\x\\");
    EXPECT_EQ(built.at("a-5-1", 1).image, "open");
    EXPECT_EQ(built.trees.open_node[1], built.node("a-5-1", 1));
    EXPECT_EQ(built.form.Text9[1].text, "open dir: D:\\x\\");
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
}

TEST_F(OpenTreeAt, DoesNotCloseThePreviouslyOpenFolder) {
    open(0, "C:\\data\\");
    open(0, "C:\\Tools\\");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    EXPECT_EQ(built.at("a-1-3").image, "open");
    EXPECT_FALSE(built.at("a-1-2").selected);
}

TEST_F(OpenTreeAt, CollapsingTheOpenFolderKeepsItsImage) {
    open(0, "C:\\data\\");
    TreeView1_Collapse(built.trees, 0, built.node("a-1-2"));
    EXPECT_EQ(built.at("a-1-2").image, "open");
}

struct FailingFolder {
    const char* folder;
    const char* why;
};

class OpenTreeAtFails : public ::testing::TestWithParam<FailingFolder> {};

TEST_P(OpenTreeAtFails, RaisesAndLeavesListAndFieldAlone) {
    BuiltTrees built(windows_disk());
    EXPECT_THROW(open_tree_at(built.form, built.trees, 0, GetParam().folder, built.fs),
                 TreeOpenError)
        << GetParam().why;
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
    EXPECT_EQ(built.form.File1[0].folder, "");
    EXPECT_EQ(built.trees.open_node[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenTreeAtFails,
                         ::testing::Values(FailingFolder{"", "empty text"},
                                           FailingFolder{"data", "no separator"},
                                           FailingFolder{"C:\\missing\\", "no such folder"},
                                           FailingFolder{"F:\\", "no such drive"},
                                           FailingFolder{"\\", "my computer names no folder"}));

TEST_F(OpenTreeAt, AFolderGoneFromDiskRaisesPathNotFound) {
    MemoryFileSystem without_data(MemoryFileSystem::Flavour::windows);
    try {
        open_tree_at(built.form, built.trees, 0, "C:\\data\\", without_data);
        FAIL() << "no error raised";
    } catch (const TreeOpenError& error) {
        EXPECT_EQ(error.kind(), TreeOpenError::Kind::path_not_found);
    }
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
}

TEST_F(OpenTreeAt, ScrollsSoTheOpenedFolderShowsAboveTheBottom) {
    for (int n = 1; n <= 20; ++n) {
        built.fs.add_folder("C:\\many\\f" + std::string(n < 10 ? "0" : "") + std::to_string(n));
    }
    build_drive_trees(built.trees, built.fs);
    built.tree(0).visible_rows = 16;
    open(0, "C:\\many\\f20\\");
    // f20 is the twentieth of its siblings: 20 - 16 + 4 lines.
    EXPECT_EQ(built.tree(0).scrolled_lines, 8);
}

TEST_F(OpenTreeAt, NoScrollWhenTheFolderIsNearTheTop) {
    open(0, "C:\\data\\");
    EXPECT_EQ(built.tree(0).scrolled_lines, 0);
}

TEST(OpenTreeAtPosix, OpensTheRootAndFoldersBelowIt) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/data/x");
    fs.add_file("/data/x/a.chn", "x");
    Form1 form;
    Browsers trees;
    build_drive_trees(trees, fs);
    open_tree_at(form, trees, 0, "/data/x/", fs);
    const FolderTree& tree = trees.TreeView1[0];
    EXPECT_EQ(tree.node(tree.selected()).text, "x");
    EXPECT_EQ(form.Text9[0].text, "open dir: /data/x/");
    EXPECT_EQ(form.File1[0].entries, std::vector<std::string>{"a.chn"});
    open_tree_at(form, trees, 0, "/", fs);
    EXPECT_EQ(tree.node(tree.selected()).text, "(/)");
    EXPECT_EQ(form.Text9[0].text, "open dir: /");
    EXPECT_EQ(form.File1[0].folder, "/");
}

}  // namespace
}  // namespace sorvane
