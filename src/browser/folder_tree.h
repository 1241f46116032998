#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sorvane {

// One node of a folder tree. Nodes are numbered from 1 in the order they were
// added; 0 means "no node".
struct TreeNode {
    std::string key;
    std::string text;
    std::string image;
    int parent = 0;
    std::vector<int> children;  // in display order
    bool expanded = false;
    bool selected = false;
    bool sorted = false;  // children kept in case-insensitive order of their texts
};

// The nodes of one tree view, as the program sees them; the window draws them.
class FolderTree {
public:
    void clear();
    // Goes up with every clear, so a view can tell a rebuilt tree from a grown one.
    int generation() const { return generation_; }

    // Adds a node under the node with `parent_key` (empty: a top node). Gives the
    // new node's index; 0 when the key is taken or the parent does not exist.
    int add(std::string_view parent_key, std::string key, std::string text, std::string image);

    int count() const { return static_cast<int>(nodes_.size()); }
    bool exists(int index) const { return index >= 1 && index <= count(); }
    // Index of the node with this key; 0 when there is none.
    int find(std::string_view key) const;

    TreeNode& node(int index) { return nodes_.at(static_cast<std::size_t>(index - 1)); }
    const TreeNode& node(int index) const { return nodes_.at(static_cast<std::size_t>(index - 1)); }

    // Keeps the node's children sorted from now on, those present included.
    void set_sorted(int index);

    int first_child(int index) const;
    // The first and last child of the node's parent (the top nodes count as siblings).
    int first_sibling(int index) const;
    int last_sibling(int index) const;
    // The node after this one under the same parent; 0 for the last.
    int next_sibling(int index) const;
    // Depth below the top: 0 for a top node, 1 for its children, and so on.
    int depth(int index) const;

    // The texts from the top node down to this one, joined by `separator`.
    std::string full_path(int index, char separator = '\\') const;

    // Marks this node selected and every other one not.
    void select(int index);
    int selected() const;

    // How many rows the view shows at once, and how many lines it was asked to
    // scroll down; the window reports the first and reads the second.
    int visible_rows = 16;
    int scrolled_lines = 0;

private:
    const std::vector<int>& siblings_of(int index) const;
    void sort_children(TreeNode& parent);

    std::vector<TreeNode> nodes_;
    std::vector<int> tops_;
    int generation_ = 0;
    std::unordered_map<std::string, int> by_key_;
};

}  // namespace sorvane
