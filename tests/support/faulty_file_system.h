#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

// A FileSystem in front of any other that plays a disk filling up: from the Nth
// write on (counting every write, whatever its name), each write fails with "No
// space left on device" and leaves no file, as a real full disk does. Renames and
// removals still work, as they do on a full disk. With frees_again only the Nth
// write fails (another program freed room meanwhile). It records every write's path, so
// a test can first count the writes of a run and then fail each in turn.
class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    std::optional<std::size_t> full_from;  // 1 for the first write; nothing: never full
    bool frees_again = false;              // only that one write fails, the later ones work
    std::vector<std::string> writes;       // the path of every write, failed or not

    char separator() const override { return inner_.separator(); }
    FsResult read_file(const std::string& path, std::string& bytes) const override {
        return inner_.read_file(path, bytes);
    }
    FsResult write_file(const std::string& path, std::string_view bytes) override {
        if (full(path)) return disk_full(path);
        return inner_.write_file(path, bytes);
    }
    FsResult write_file_as_named(const std::string& path, std::string_view bytes) override {
        if (full(path)) return disk_full(path);
        return inner_.write_file_as_named(path, bytes);
    }
    FsResult rename_file(const std::string& from, const std::string& to) override {
        return inner_.rename_file(from, to);
    }
    FsResult rename_file_as_named(const std::string& from, const std::string& to) override {
        return inner_.rename_file_as_named(from, to);
    }
    FsResult remove_file(const std::string& path) override { return inner_.remove_file(path); }
    FsResult create_folder(const std::string& path) override { return inner_.create_folder(path); }
    bool file_exists(const std::string& path) const override { return inner_.file_exists(path); }
    bool file_exists_as_named(const std::string& path) const override {
        return inner_.file_exists_as_named(path);
    }
    bool folder_exists(const std::string& path) const override {
        return inner_.folder_exists(path);
    }
    std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                  std::string_view name) const override {
        return inner_.find_ignoring_case(folder, name);
    }
    std::vector<FolderEntry> list_files(const std::string& folder,
                                        std::string_view pattern) const override {
        return inner_.list_files(folder, pattern);
    }
    std::vector<FolderEntry> list_folders(const std::string& folder) const override {
        return inner_.list_folders(folder);
    }
    std::vector<std::string> drive_roots() const override { return inner_.drive_roots(); }
    std::optional<std::int64_t> modification_time(const std::string& path) const override {
        return inner_.modification_time(path);
    }
    std::string current_folder() const override { return inner_.current_folder(); }

private:
    bool full(const std::string& path) {
        writes.push_back(path);
        if (!full_from) return false;
        return frees_again ? writes.size() == *full_from : writes.size() >= *full_from;
    }
    // A failed write leaves no file behind, an earlier one of that name included.
    FsResult disk_full(const std::string& path) {
        if (inner_.file_exists_as_named(path)) inner_.remove_file(path);
        return {FsStatus::failed, path + ": No space left on device"};
    }

    FileSystem& inner_;
};

}  // namespace sorvane
