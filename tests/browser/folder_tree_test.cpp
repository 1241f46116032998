#include "browser/folder_tree.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

std::vector<std::string> child_texts(const FolderTree& tree, int index) {
    std::vector<std::string> texts;
    for (int child : tree.node(index).children) texts.push_back(tree.node(child).text);
    return texts;
}

TEST(FolderTree, NumbersNodesFromOneInOrderOfAdding) {
    FolderTree tree;
    EXPECT_EQ(tree.add("", "rt", "my computer", "MyComp"), 1);
    EXPECT_EQ(tree.add("rt", "a-1", "(C:)", "Drive"), 2);
    EXPECT_EQ(tree.count(), 2);
    EXPECT_EQ(tree.find("a-1"), 2);
    EXPECT_EQ(tree.find("a-9"), 0);
    EXPECT_EQ(tree.node(2).parent, 1);
}

TEST(FolderTree, RefusesATakenKeyAndAMissingParent) {
    FolderTree tree;
    tree.add("", "rt", "my computer", "MyComp");
    EXPECT_EQ(tree.add("rt", "rt", "again", "Close"), 0);
    EXPECT_EQ(tree.add("nowhere", "a-1", "(C:)", "Drive"), 0);
    EXPECT_EQ(tree.count(), 1);
}

TEST(FolderTree, UnsortedParentKeepsTheOrderOfAdding) {
    FolderTree tree;
    tree.add("", "rt", "my computer", "MyComp");
    tree.add("rt", "a-1", "(D:)", "Drive");
    tree.add("rt", "a-2", "(C:)", "Drive");
    EXPECT_EQ(child_texts(tree, 1), (std::vector<std::string>{"(D:)", "(C:)"}));
}

TEST(FolderTree, SortedParentOrdersChildrenIgnoringCaseAlsoLaterOnes) {
    FolderTree tree;
    tree.add("", "rt", "my computer", "MyComp");
    tree.add("rt", "a-1", "(C:)", "Drive");
    tree.add("a-1", "a-1-1", "zeta", "Close");
    tree.set_sorted(2);
    tree.add("a-1", "a-1-2", "Beta", "Close");
    tree.add("a-1", "a-1-3", "alpha", "Close");
    EXPECT_EQ(child_texts(tree, 2), (std::vector<std::string>{"alpha", "Beta", "zeta"}));
    EXPECT_EQ(tree.first_child(2), tree.find("a-1-3"));
    EXPECT_EQ(tree.first_sibling(tree.find("a-1-1")), tree.find("a-1-3"));
    EXPECT_EQ(tree.last_sibling(tree.find("a-1-3")), tree.find("a-1-1"));
    EXPECT_EQ(tree.next_sibling(tree.find("a-1-2")), tree.find("a-1-1"));
    EXPECT_EQ(tree.next_sibling(tree.find("a-1-1")), 0);
}

TEST(FolderTree, FullPathJoinsTheTextsFromTheTop) {
    FolderTree tree;
    tree.add("", "rt", "my computer", "MyComp");
    tree.add("rt", "a-1", "(C:)", "Drive");
    tree.add("a-1", "a-1-1", "data", "Close");
    tree.add("a-1-1", "a-1-1-1", "spectra", "Close");
    EXPECT_EQ(tree.full_path(4), "my computer\\(C:)\\data\\spectra");
    EXPECT_EQ(tree.depth(4), 3);
    EXPECT_EQ(tree.depth(1), 0);
}

TEST(FolderTree, SelectingANodeClearsTheOthers) {
    FolderTree tree;
    tree.add("", "rt", "my computer", "MyComp");
    tree.add("rt", "a-1", "(C:)", "Drive");
    tree.select(1);
    tree.select(2);
    EXPECT_FALSE(tree.node(1).selected);
    EXPECT_TRUE(tree.node(2).selected);
    EXPECT_EQ(tree.selected(), 2);
}

}  // namespace
}  // namespace sorvane
