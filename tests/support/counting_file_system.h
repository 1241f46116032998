#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"

namespace sorvane {

// A FileSystem in front of any other that counts the calls of each operation, so a
// test can tell how often a run listed or scanned a folder.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& inner) : inner_(inner) {}

    mutable std::map<std::string, int> calls;  // by operation name

    char separator() const override { return inner_.separator(); }
    FsResult read_file(const std::string& path, std::string& bytes) const override {
        ++calls["read_file"];
        return inner_.read_file(path, bytes);
    }
    FsResult write_file(const std::string& path, std::string_view bytes) override {
        ++calls["write_file"];
        return inner_.write_file(path, bytes);
    }
    FsResult write_file_as_named(const std::string& path, std::string_view bytes) override {
        ++calls["write_file_as_named"];
        return inner_.write_file_as_named(path, bytes);
    }
    FsResult rename_file(const std::string& from, const std::string& to) override {
        ++calls["rename_file"];
        return inner_.rename_file(from, to);
    }
    FsResult rename_file_as_named(const std::string& from, const std::string& to) override {
        ++calls["rename_file_as_named"];
        return inner_.rename_file_as_named(from, to);
    }
    FsResult remove_file(const std::string& path) override {
        ++calls["remove_file"];
        return inner_.remove_file(path);
    }
    FsResult create_folder(const std::string& path) override { return inner_.create_folder(path); }
    bool file_exists(const std::string& path) const override {
        ++calls["file_exists"];
        return inner_.file_exists(path);
    }
    bool file_exists_as_named(const std::string& path) const override {
        ++calls["file_exists_as_named"];
        return inner_.file_exists_as_named(path);
    }
    bool folder_exists(const std::string& path) const override {
        return inner_.folder_exists(path);
    }
    std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                  std::string_view name) const override {
        ++calls["find_ignoring_case"];
        return inner_.find_ignoring_case(folder, name);
    }
    std::vector<FolderEntry> list_files(const std::string& folder,
                                        std::string_view pattern) const override {
        ++calls["list_files"];
        return inner_.list_files(folder, pattern);
    }
    std::vector<FolderEntry> list_folders(const std::string& folder) const override {
        return inner_.list_folders(folder);
    }
    std::vector<std::string> drive_roots() const override { return inner_.drive_roots(); }
    std::optional<std::int64_t> modification_time(const std::string& path) const override {
        ++calls["modification_time"];
        return inner_.modification_time(path);
    }
    std::string current_folder() const override { return inner_.current_folder(); }

private:
    FileSystem& inner_;
};

}  // namespace sorvane
