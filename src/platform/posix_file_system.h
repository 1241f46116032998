#pragma once

#include "platform/file_system.h"

namespace sorvane {

// The real file system on Linux and other POSIX systems: one drive, the root "/".
// Names are looked up ignoring case, as users of the Windows program expect.
class PosixFileSystem final : public FileSystem {
public:
    char separator() const override { return '/'; }
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
    std::vector<std::string> drive_roots() const override { return {"/"}; }
    std::optional<std::int64_t> modification_time(const std::string& path) const override;
    std::string current_folder() const override;
    bool file_exists_as_named(const std::string& path) const override;
    FsResult write_file_as_named(const std::string& path, std::string_view bytes) override;
    FsResult rename_file_as_named(const std::string& from, const std::string& to) override;

private:
    // The path with its last element replaced by an existing entry of another
    // letter case, when the exact one is missing.
    std::string resolve(const std::string& path) const;
};

}  // namespace sorvane
