#include "support/memory_file_system.h"

#include <algorithm>
#include <cctype>

#include "platform/dos_pattern.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {}  // namespace

MemoryFileSystem::MemoryFileSystem(Flavour flavour)
    : separator_(flavour == Flavour::windows ? '\\' : '/') {
    roots_ = flavour == Flavour::windows ? std::vector<std::string>{"C:\\", "D:\\", "E:\\"}
                                         : std::vector<std::string>{"/"};
    for (const std::string& root : roots_)
        nodes_[key_of(root)] = Node{root, true, false, false, {}, 0};
    current_ = roots_.front();
}

std::string MemoryFileSystem::key_of(std::string_view path) const {
    std::string key = lower_text(path);
    while (key.size() > 1 && key.back() == separator_ && !is_root_key(key)) key.pop_back();
    return key;
}

bool MemoryFileSystem::is_root_key(const std::string& key) const {
    return std::any_of(roots_.begin(), roots_.end(),
                       [&](const std::string& root) { return lower_text(root) == key; });
}

std::string MemoryFileSystem::parent_key(const std::string& key) const {
    if (is_root_key(key)) return {};
    return key_of(folder_of_path(key, separator_));
}

const MemoryFileSystem::Node* MemoryFileSystem::find(std::string_view path) const {
    auto it = nodes_.find(key_of(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

void MemoryFileSystem::add_folder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == separator_ && !is_root_key(key_of(trimmed))) {
        trimmed.pop_back();
    }
    std::string key = key_of(trimmed);
    if (key.empty() || nodes_.count(key)) return;
    std::string parent = folder_of_path(trimmed, separator_);
    if (!parent.empty()) add_folder(parent);
    nodes_[key] = Node{name_of_path(trimmed, separator_), true, false, false, {}, 0};
}

void MemoryFileSystem::add_hidden_folder(const std::string& path) {
    add_folder(path);
    nodes_[key_of(path)].hidden = true;
}

void MemoryFileSystem::add_file(const std::string& path, std::string_view bytes, bool hidden,
                                bool system) {
    add_folder(folder_of_path(path, separator_));
    Node node{name_of_path(path, separator_), false, hidden, system, std::string(bytes), ++clock_};
    nodes_[key_of(path)] = node;
}

std::optional<std::string> MemoryFileSystem::contents(const std::string& path) const {
    const Node* node = find(path);
    if (node == nullptr || node->folder) return std::nullopt;
    return node->bytes;
}

FsResult MemoryFileSystem::read_file(const std::string& path, std::string& bytes) const {
    bytes.clear();
    if (!folder_exists(folder_of_path(path, separator_))) {
        return {FsStatus::path_not_found,
                folder_of_path(path, separator_) + ": folder does not exist"};
    }
    const Node* node = find(path);
    if (node == nullptr) return {FsStatus::file_not_found, path + ": no such file"};
    if (node->folder) return {FsStatus::failed, path + ": is a folder"};
    bytes = node->bytes;
    return FsResult::success();
}

FsResult MemoryFileSystem::write_file(const std::string& path, std::string_view bytes) {
    if (!folder_exists(folder_of_path(path, separator_))) {
        return {FsStatus::path_not_found,
                folder_of_path(path, separator_) + ": folder does not exist"};
    }
    const Node* existing = find(path);
    if (existing != nullptr && existing->folder) return {FsStatus::failed, path + ": is a folder"};
    if (size_limit_ && bytes.size() > *size_limit_) {
        nodes_.erase(key_of(path));  // as the real one: no partial file stays
        return {FsStatus::failed, path + ": No space left on device"};
    }
    std::string name = existing ? existing->name : name_of_path(path, separator_);
    nodes_[key_of(path)] = Node{name, false, false, false, std::string(bytes), ++clock_};
    return FsResult::success();
}

FsResult MemoryFileSystem::rename_file(const std::string& from, const std::string& to) {
    const Node* source = find(from);
    if (source == nullptr || source->folder)
        return {FsStatus::file_not_found, from + ": no such file"};
    if (!folder_exists(folder_of_path(to, separator_))) {
        return {FsStatus::path_not_found,
                folder_of_path(to, separator_) + ": folder does not exist"};
    }
    Node moved = *source;
    moved.name = name_of_path(to, separator_);
    nodes_.erase(key_of(from));
    nodes_[key_of(to)] = moved;
    return FsResult::success();
}

FsResult MemoryFileSystem::remove_file(const std::string& path) {
    const Node* node = find(path);
    if (node == nullptr || node->folder) return {FsStatus::file_not_found, path + ": no such file"};
    nodes_.erase(key_of(path));
    return FsResult::success();
}

FsResult MemoryFileSystem::create_folder(const std::string& path) {
    if (file_exists(path)) return {FsStatus::failed, path + ": is a file"};
    add_folder(path);
    return FsResult::success();
}

bool MemoryFileSystem::file_exists(const std::string& path) const {
    const Node* node = find(path);
    return node != nullptr && !node->folder;
}

bool MemoryFileSystem::folder_exists(const std::string& path) const {
    if (path.empty()) return false;
    const Node* node = find(path);
    return node != nullptr && node->folder;
}

std::optional<std::string> MemoryFileSystem::find_ignoring_case(const std::string& folder,
                                                                std::string_view name) const {
    const Node* node = find(folder + std::string(name));
    if (node == nullptr) return std::nullopt;
    return node->name;
}

template <typename Keep>
std::vector<FolderEntry> MemoryFileSystem::children(const std::string& folder, Keep keep) const {
    std::vector<FolderEntry> entries;
    std::string parent = key_of(folder);
    for (const auto& [key, node] : nodes_) {
        if (key != parent && !is_root_key(key) && parent_key(key) == parent && keep(node)) {
            entries.push_back({node.name});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return less_ignoring_case(a.name, b.name);
    });
    return entries;
}

std::vector<FolderEntry> MemoryFileSystem::list_files(const std::string& folder,
                                                      std::string_view pattern) const {
    return children(folder, [&](const Node& node) {
        return !node.folder && !node.hidden && !node.system &&
               matches_any_dos_pattern(node.name, pattern);
    });
}

std::vector<FolderEntry> MemoryFileSystem::list_folders(const std::string& folder) const {
    // Hidden folders are listed like any other; only file lists leave hidden entries out.
    return children(folder, [](const Node& node) { return node.folder; });
}

std::optional<std::int64_t> MemoryFileSystem::modification_time(const std::string& path) const {
    const Node* node = find(path);
    if (node == nullptr) return std::nullopt;
    return node->modified;
}

}  // namespace sorvane
