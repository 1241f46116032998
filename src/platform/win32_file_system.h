#pragma once

#include "platform/file_system.h"

namespace sorvane {

// The real file system on Windows, through the ANSI Win32 calls: file texts and
// names are bytes in the local code page, as the rest of the program keeps them.
// Paths may use "\" or "/"; the drives are those of GetLogicalDriveStrings.
class Win32FileSystem final : public FileSystem {
public:
    char separator() const override { return '\\'; }
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
    std::vector<std::string> drive_roots() const override;
    std::optional<std::int64_t> modification_time(const std::string& path) const override;
    std::string current_folder() const override;
};

// Seconds since 1970-01-01 UTC of a FILETIME value (100 ns steps since 1601-01-01).
std::int64_t unix_seconds_of_file_time(std::uint64_t file_time);

// The drive roots of a GetLogicalDriveStrings buffer: "C:\", NUL, "D:\", NUL, NUL.
std::vector<std::string> split_drive_strings(std::string_view buffer);

}  // namespace sorvane
