#pragma once

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace sorvane::test {

// An in-memory POSIX file system that also records each write and rename, in order.
class RecordingFileSystem final : public FileSystem {
public:
    MemoryFileSystem memory{MemoryFileSystem::Flavour::posix};
    std::vector<std::string> operations;  // "write PATH", "rename FROM -> TO"

    char separator() const override { return memory.separator(); }
    FsResult read_file(const std::string& path, std::string& bytes) const override {
        return memory.read_file(path, bytes);
    }
    FsResult write_file(const std::string& path, std::string_view bytes) override {
        operations.push_back("write " + path);
        return memory.write_file(path, bytes);
    }
    FsResult rename_file(const std::string& from, const std::string& to) override {
        operations.push_back("rename " + from + " -> " + to);
        return memory.rename_file(from, to);
    }
    FsResult remove_file(const std::string& path) override {
        operations.push_back("remove " + path);
        return memory.remove_file(path);
    }
    FsResult create_folder(const std::string& path) override {
        operations.push_back("create folder " + path);
        return memory.create_folder(path);
    }
    bool file_exists(const std::string& path) const override { return memory.file_exists(path); }
    bool folder_exists(const std::string& path) const override {
        return memory.folder_exists(path);
    }
    std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                  std::string_view name) const override {
        return memory.find_ignoring_case(folder, name);
    }
    std::vector<FolderEntry> list_files(const std::string& folder,
                                        std::string_view pattern) const override {
        return memory.list_files(folder, pattern);
    }
    std::vector<FolderEntry> list_folders(const std::string& folder) const override {
        return memory.list_folders(folder);
    }
    std::vector<std::string> drive_roots() const override { return memory.drive_roots(); }
    std::optional<std::int64_t> modification_time(const std::string& path) const override {
        return memory.modification_time(path);
    }
    std::string current_folder() const override { return memory.current_folder(); }
};

}  // namespace sorvane::test
