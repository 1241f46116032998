#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

// A FileSystem in front of another one that records every change and can play the
// troubles of a real disk: a folder that is read-only, a disk that fills up, a
// folder that vanishes while the run goes on. CI runs as root, where a read-only
// folder stops nothing, so these faults are made here rather than on the disk.
class GuardedFileSystem final : public FileSystem {
public:
    explicit GuardedFileSystem(FileSystem& inner) : inner_(inner) {}

    // Writes, renames and removals inside this folder fail as on a read-only folder.
    std::string read_only_folder;
    // Writes of more bytes than this fail as on a full disk, leaving no file.
    std::optional<std::size_t> free_bytes;
    // Once set, this folder and everything in it look deleted.
    std::string vanished_folder;
    // Called after each successful write, with its path (to make a folder vanish mid-run).
    std::function<void(const std::string&)> after_write;

    // "write P", "rename A -> B", "remove P" for every change that was made.
    std::vector<std::string> changes;
    // The path of every change, made or refused.
    std::vector<std::string> touched;

    char separator() const override { return inner_.separator(); }
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
    std::vector<std::string> drive_roots() const override { return inner_.drive_roots(); }
    std::optional<std::int64_t> modification_time(const std::string& path) const override;
    std::string current_folder() const override { return inner_.current_folder(); }

private:
    bool inside(const std::string& path, const std::string& folder) const;
    bool gone(const std::string& path) const { return inside(path, vanished_folder); }
    FsResult refused(const std::string& path) const;

    FileSystem& inner_;
};

}  // namespace sorvane
