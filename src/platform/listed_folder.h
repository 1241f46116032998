#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"

namespace sorvane {

// A FileSystem that finds the names of one folder in a single listing of it, kept up
// to date with every name written, renamed or removed through it, so that a run over
// thousands of files there costs one listing instead of one scan per new name. Paths
// in other folders, and hidden names (which no listing holds), pass through as they
// are. A file that someone else creates in the folder afterwards is seen at once
// under the letter case asked for, and under any other case after refresh(). Safe to
// use from several threads when the wrapped file system is.
class ListedFolderFileSystem final : public FileSystem {
public:
    // `folder` ends in the separator; it is listed here once.
    ListedFolderFileSystem(FileSystem& inner, std::string folder);

    // Lists the folder again, for the names others have written meanwhile.
    void refresh();

    char separator() const override { return inner_.separator(); }
    FsResult read_file(const std::string& path, std::string& bytes) const override;
    FsResult write_file(const std::string& path, std::string_view bytes) override;
    FsResult rename_file(const std::string& from, const std::string& to) override;
    FsResult remove_file(const std::string& path) override;
    FsResult create_folder(const std::string& path) override { return inner_.create_folder(path); }
    bool file_exists(const std::string& path) const override;
    bool folder_exists(const std::string& path) const override {
        return inner_.folder_exists(path);
    }
    std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                  std::string_view name) const override;
    std::vector<FolderEntry> list_files(const std::string& folder,
                                        std::string_view pattern) const override {
        return inner_.list_files(folder, pattern);
    }
    std::vector<FolderEntry> list_folders(const std::string& folder) const override {
        return inner_.list_folders(folder);
    }
    std::vector<std::string> drive_roots() const override { return inner_.drive_roots(); }
    std::optional<std::int64_t> modification_time(const std::string& path) const override;
    std::string current_folder() const override { return inner_.current_folder(); }

private:
    // Where a path of the listed folder points: the listed entry of the same name
    // ignoring case, or the path as given for a name the listing does not hold.
    struct Named {
        std::string path;
        bool listed = false;
    };
    bool in_folder(const std::string& path) const;
    Named named(const std::string& path) const;
    void note_written(const std::string& path);
    void note_removed(const std::string& path);

    FileSystem& inner_;
    std::string folder_;
    mutable std::mutex guard_;                            // the names below
    std::unordered_map<std::string, std::string> names_;  // lower case -> as stored
};

}  // namespace sorvane
