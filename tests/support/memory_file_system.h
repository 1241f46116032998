#pragma once

#include <map>
#include <optional>

#include "platform/file_system.h"

namespace sorvane {

// A file system held in memory, for tests. It plays either a Windows machine
// (drives C:, D:, E: and "\" separators) or a POSIX one (root "/"), and lets a
// test mark files hidden or system and make writes fail part way.
class MemoryFileSystem final : public FileSystem {
public:
    enum class Flavour { windows, posix };

    explicit MemoryFileSystem(Flavour flavour = Flavour::windows);

    // Set-up for tests. Missing parent folders are created.
    void add_folder(const std::string& path);
    void add_file(const std::string& path, std::string_view bytes, bool hidden = false,
                  bool system = false);
    void add_hidden_folder(const std::string& path);
    // Writes stop with a "disk full" failure once a file would exceed this size.
    void limit_file_size(std::optional<std::size_t> bytes) { size_limit_ = bytes; }
    void set_current_folder(const std::string& folder) { current_ = folder; }
    // The stored bytes of a file (exact or other case), or nothing.
    std::optional<std::string> contents(const std::string& path) const;

    char separator() const override { return separator_; }
    FsResult read_file(const std::string& path, std::string& bytes) const override;
    FsResult write_file(const std::string& path, std::string_view bytes) override;
    FsResult rename_file(const std::string& from, const std::string& to) override;
    FsResult remove_file(const std::string& path) override;
    FsResult create_folder(const std::string& path) override;
    bool file_exists(const std::string& path) const override;
    bool folder_exists(const std::string& path) const override;
    std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                  std::string_view name) const override;
    std::vector<FolderEntry> list_files(const std::string& folder,
                                        std::string_view pattern) const override;
    std::vector<FolderEntry> list_folders(const std::string& folder) const override;
    std::vector<std::string> drive_roots() const override { return roots_; }
    std::optional<std::int64_t> modification_time(const std::string& path) const override;
    std::string current_folder() const override { return current_; }

private:
    struct Node {
        std::string name;  // the last path element as written
        bool folder = false;
        bool hidden = false;
        bool system = false;
        std::string bytes;
        std::int64_t modified = 0;
    };

    std::string key_of(std::string_view path) const;
    std::string parent_key(const std::string& key) const;
    bool is_root_key(const std::string& key) const;
    const Node* find(std::string_view path) const;
    template <typename Keep>
    std::vector<FolderEntry> children(const std::string& folder, Keep keep) const;

    char separator_;
    std::vector<std::string> roots_;
    std::map<std::string, Node> nodes_;  // by lower-case path without trailing separator
    std::optional<std::size_t> size_limit_;
    std::string current_;
    std::int64_t clock_ = 1'000'000'000;  // advances with every write
};

}  // namespace sorvane
