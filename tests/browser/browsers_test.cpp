#include "browser/browsers.h"

#include <gtest/gtest.h>

#include "browser/windows_disk.h"

namespace sorvane {
namespace {

struct DriveRow {
    int tree;
    const char* key;
    const char* text;
};

class DriveNodes : public ::testing::TestWithParam<DriveRow> {};

// The drive counter runs on from tree 0 into tree 1.
TEST_P(DriveNodes, EachTreeNumbersItsDrivesFromTheSharedCounter) {
    BuiltTrees built(windows_disk());
    const DriveRow& row = GetParam();
    const int index = built.node(row.key, row.tree);
    ASSERT_NE(index, 0);
    const TreeNode& drive = built.tree(row.tree).node(index);
    EXPECT_EQ(drive.text, row.text);
    EXPECT_EQ(drive.image, "Drive");
    EXPECT_TRUE(drive.sorted);
    EXPECT_EQ(built.tree(row.tree).node(drive.parent).key, "rt");
}

INSTANTIATE_TEST_SUITE_P(CDE, DriveNodes,
                         ::testing::Values(DriveRow{0, "a-1", "(C:)"}, DriveRow{0, "a-2", "(D:)"},
                                           DriveRow{0, "a-3", "(E:)"}, DriveRow{1, "a-4", "(C:)"},
                                           DriveRow{1, "a-5", "(D:)"}, DriveRow{1, "a-6", "(E:)"}));

TEST(BuildDriveTrees, RootIsMyComputerUnsortedAndExpanded) {
    BuiltTrees built(windows_disk());
    for (int index : {0, 1}) {
        const TreeNode& root = built.tree(index).node(1);
        EXPECT_EQ(root.key, "rt");
        EXPECT_EQ(root.text, "my computer");
        EXPECT_EQ(root.image, "MyComp");
        EXPECT_FALSE(root.sorted);
        EXPECT_TRUE(root.expanded);
        EXPECT_EQ(root.children.size(), 3u);
    }
    EXPECT_EQ(built.trees.drive_counter, 6);
}

TEST(BuildDriveTrees, DrivesGetTheirFirstLevelFoldersWithoutChildren) {
    BuiltTrees built(windows_disk());
    EXPECT_EQ(built.at("a-1-1").text, "alpha");
    EXPECT_EQ(built.at("a-1-2").text, "data");
    EXPECT_EQ(built.at("a-1-3").text, "Tools");
    EXPECT_EQ(built.at("a-2-1").text, "x");
    for (const char* key : {"a-1-1", "a-1-2", "a-1-3", "a-2-1"}) {
        EXPECT_EQ(built.at(key).image, "Close") << key;
        EXPECT_TRUE(built.at(key).sorted) << key;
        EXPECT_TRUE(built.at(key).children.empty()) << key;
    }
    EXPECT_EQ(built.node("a-1-4"), 0);
    // Tree 1 got the same folders under its own drive keys.
    EXPECT_EQ(built.at("a-4-2", 1).text, "data");
}

TEST(BuildDriveTrees, ADriveThatCannotBeListedStaysEmpty) {
    BuiltTrees built(windows_disk());
    EXPECT_TRUE(built.at("a-3").children.empty());
}

TEST(ExpandNode, ListsTheSubFoldersOfEachChild) {
    BuiltTrees built(windows_disk());
    TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    EXPECT_TRUE(built.at("a-1").expanded);
    EXPECT_EQ(built.at("a-1-2-1").text, "a(1)");
    EXPECT_EQ(built.at("a-1-2-2").text, "spectra");
    EXPECT_EQ(built.at("a-1-3-1").text, "bin");
    // One level only: a(1)'s own folder x waits until data is expanded.
    EXPECT_EQ(built.node("a-1-2-1-1"), 0);
}

TEST(ExpandNode, AFolderNamedWithParenthesesKeepsThemInItsPath) {
    BuiltTrees built(windows_disk());
    TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    TreeView1_Expand(built.trees, 0, built.node("a-1-2"), built.fs);
    EXPECT_EQ(folder_of_node(built.tree(0), built.node("a-1-2-1"), '\\'), "C:\\data\\a(1)");
    EXPECT_EQ(built.at("a-1-2-1-1").text, "x");
}

TEST(ExpandNode, WalkStopsAtTheFirstChildThatAlreadyHasChildren) {
    BuiltTrees built(windows_disk());
    // data is filled before C: is expanded; alpha (first) has no sub-folders.
    Folder_Serch(built.trees, "C:\\data", "a-1-2", 0, built.fs);
    const int before = built.tree(0).count();
    TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    EXPECT_EQ(built.tree(0).count(), before);
    EXPECT_TRUE(built.at("a-1-3").children.empty());  // Tools/bin never listed
}

TEST(ExpandNode, AFirstChildWithChildrenMeansNothingIsListed) {
    BuiltTrees built(windows_disk());
    built.fs.add_folder("C:\\alpha\\inner");
    Folder_Serch(built.trees, "C:\\alpha", "a-1-1", 0, built.fs);
    const int before = built.tree(0).count();
    TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    EXPECT_EQ(built.tree(0).count(), before);
}

TEST(ExpandNode, AnExpandedNodeIsNotFilledAgain) {
    BuiltTrees built(windows_disk());
    TreeView1_Expand(built.trees, 0, built.node("a-2"), built.fs);
    built.fs.add_folder("D:\\x\\late");
    TreeView1_Expand(built.trees, 0, built.node("a-2"), built.fs);
    EXPECT_EQ(built.node("a-2-1-1"), 0);
}

TEST(ExpandNode, CollapseOnlyClearsTheFlag) {
    BuiltTrees built(windows_disk());
    TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    const int before = built.tree(0).count();
    TreeView1_Collapse(built.trees, 0, built.node("a-1"));
    EXPECT_FALSE(built.at("a-1").expanded);
    EXPECT_EQ(built.tree(0).count(), before);
}

TEST(FolderSerch, KeysNumberTheFoldersInListingOrderAndSkipFiles) {
    BuiltTrees built(windows_disk());
    Folder_Serch(built.trees, "C:\\data", "a-1-2", 0, built.fs);
    // C:\data holds four files and two folders: only the folders become nodes.
    EXPECT_EQ(built.at("a-1-2").children.size(), 2u);
    EXPECT_EQ(built.at("a-1-2-1").image, "Close");
}

class NodeClick : public ::testing::Test {
protected:
    NodeClick() : built(windows_disk()) {
        TreeView1_Expand(built.trees, 0, built.node("a-1"), built.fs);
    }
    void click(std::string_view key) {
        TreeView1_NodeClick(built.form, built.trees, 0, built.node(key), built.fs, built.ui);
    }
    BuiltTrees built;
};

TEST_F(NodeClick, ClickingSpectraWhileDataIsOpen) {
    click("a-1-2");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    click("a-1-2-2");
    EXPECT_EQ(built.at("a-1-2").image, "Close");
    EXPECT_EQ(built.at("a-1-2-2").image, "open");
    EXPECT_EQ(built.form.File1[0].folder, "C:\\data\\spectra");
    EXPECT_EQ(built.form.File1[0].entries, (std::vector<std::string>{"s.chn"}));
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\spectra\\");
    EXPECT_EQ(built.trees.open_node[0], built.node("a-1-2-2"));
    EXPECT_TRUE(built.ui.messages.empty());
}

TEST_F(NodeClick, ClickingTheDriveKeepsItsImage) {
    click("a-1-2");
    click("a-1");
    EXPECT_EQ(built.at("a-1").image, "Drive");
    EXPECT_EQ(built.at("a-1-2").image, "Close");
    EXPECT_EQ(built.form.File1[0].folder, "C:\\");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\");
    EXPECT_EQ(built.trees.open_node[0], built.node("a-1"));
}

TEST_F(NodeClick, ClickingMyComputerChangesNothing) {
    click("a-1-2");
    click("rt");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(built.trees.open_node[0], built.node("a-1-2"));
}

TEST_F(NodeClick, AVanishedFolderShowsAMessageAndChangesNothing) {
    click("a-1-2");
    MemoryFileSystem without_tools(MemoryFileSystem::Flavour::windows);
    TreeView1_NodeClick(built.form, built.trees, 0, built.node("a-1-3"), without_tools, built.ui);
    ASSERT_EQ(built.ui.messages.size(), 1u);
    EXPECT_EQ(built.ui.messages[0].text, "File does not exist.");
    EXPECT_EQ(built.ui.messages[0].title, "Sorvane2006");
    EXPECT_EQ(built.at("a-1-2").image, "open");
    EXPECT_EQ(built.at("a-1-3").image, "Close");
    EXPECT_EQ(built.form.Text9[0].text, "open dir: C:\\data\\");
    EXPECT_EQ(built.form.File1[0].folder, "C:\\data");
}

TEST_F(NodeClick, ClickingTheListedFolderAgainKeepsTheSelection) {
    click("a-1-2");
    built.form.File1[0].set_selected(1, true);
    click("a-1-2");
    EXPECT_EQ(built.form.File1[0].selected_names(), std::vector<std::string>{"b.chn"});
    click("a-1-2-2");
    EXPECT_TRUE(built.form.File1[0].selected_names().empty());
}

TEST_F(NodeClick, TheOtherTreeKeepsItsOwnOpenFolder) {
    TreeView1_NodeClick(built.form, built.trees, 1, built.node("a-4-2", 1), built.fs, built.ui);
    EXPECT_EQ(built.form.Text9[1].text, "open dir: C:\\data\\");
    EXPECT_EQ(built.form.Text9[0].text, "Text9");
    EXPECT_EQ(built.trees.open_node[0], 0);
}

TEST(PosixTree, OneDriveShownAsTheRoot) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/data/x");
    Browsers trees;
    build_drive_trees(trees, fs);
    const FolderTree& tree = trees.TreeView1[0];
    EXPECT_EQ(tree.node(tree.find("a-1")).text, "(/)");
    EXPECT_EQ(tree.node(tree.find("a-1-1")).text, "data");
    EXPECT_EQ(folder_of_node(tree, tree.find("a-1-1"), '/'), "/data");
    EXPECT_NE(trees.TreeView1[1].find("a-2"), 0);
}

}  // namespace
}  // namespace sorvane
