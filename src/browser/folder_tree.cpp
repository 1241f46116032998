#include "browser/folder_tree.h"

#include <algorithm>

#include "platform/dos_pattern.h"

namespace sorvane {

void FolderTree::clear() {
    nodes_.clear();
    tops_.clear();
    by_key_.clear();
    scrolled_lines = 0;
    ++generation_;
}

int FolderTree::add(std::string_view parent_key, std::string key, std::string text,
                    std::string image) {
    int parent = 0;
    if (!parent_key.empty()) {
        parent = find(parent_key);
        if (parent == 0) return 0;
    }
    if (by_key_.count(key) != 0) return 0;
    TreeNode added;
    added.key = std::move(key);
    added.text = std::move(text);
    added.image = std::move(image);
    added.parent = parent;
    nodes_.push_back(std::move(added));
    const int index = count();
    by_key_.emplace(nodes_.back().key, index);
    if (parent == 0) {
        tops_.push_back(index);
        return index;
    }
    TreeNode& owner = node(parent);
    if (!owner.sorted) {
        owner.children.push_back(index);
        return index;
    }
    // After every child of an equal text, so equal names keep their listing order.
    const std::string& name = node(index).text;
    auto at = std::upper_bound(owner.children.begin(), owner.children.end(), name,
                               [this](const std::string& text, int child) {
                                   return less_ignoring_case(text, node(child).text);
                               });
    owner.children.insert(at, index);
    return index;
}

int FolderTree::find(std::string_view key) const {
    auto found = by_key_.find(std::string(key));
    return found == by_key_.end() ? 0 : found->second;
}

void FolderTree::sort_children(TreeNode& parent) {
    std::stable_sort(parent.children.begin(), parent.children.end(), [this](int a, int b) {
        return less_ignoring_case(node(a).text, node(b).text);
    });
}

void FolderTree::set_sorted(int index) {
    TreeNode& target = node(index);
    target.sorted = true;
    sort_children(target);
}

int FolderTree::first_child(int index) const {
    const TreeNode& owner = node(index);
    return owner.children.empty() ? 0 : owner.children.front();
}

const std::vector<int>& FolderTree::siblings_of(int index) const {
    const int parent = node(index).parent;
    return parent == 0 ? tops_ : node(parent).children;
}

int FolderTree::first_sibling(int index) const {
    return siblings_of(index).front();
}

int FolderTree::last_sibling(int index) const {
    return siblings_of(index).back();
}

int FolderTree::next_sibling(int index) const {
    const std::vector<int>& siblings = siblings_of(index);
    auto at = std::find(siblings.begin(), siblings.end(), index);
    if (at == siblings.end() || ++at == siblings.end()) return 0;
    return *at;
}

int FolderTree::depth(int index) const {
    int levels = 0;
    for (int up = node(index).parent; up != 0; up = node(up).parent) ++levels;
    return levels;
}

std::string FolderTree::full_path(int index, char separator) const {
    std::string path = node(index).text;
    for (int up = node(index).parent; up != 0; up = node(up).parent) {
        path = node(up).text + separator + path;
    }
    return path;
}

void FolderTree::select(int index) {
    for (TreeNode& each : nodes_) each.selected = false;
    if (exists(index)) node(index).selected = true;
}

int FolderTree::selected() const {
    for (std::size_t at = 0; at < nodes_.size(); ++at) {
        if (nodes_[at].selected) return static_cast<int>(at) + 1;
    }
    return 0;
}

}  // namespace sorvane
