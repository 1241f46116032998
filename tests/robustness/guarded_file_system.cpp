#include "guarded_file_system.h"

#include "platform/dos_pattern.h"

namespace sorvane {

bool GuardedFileSystem::inside(const std::string& path, const std::string& folder) const {
    if (folder.empty()) return false;
    std::string prefix = folder;
    while (!prefix.empty() && (prefix.back() == '/' || prefix.back() == separator()))
        prefix.pop_back();
    if (path.size() < prefix.size() ||
        !equal_ignoring_case(path.substr(0, prefix.size()), prefix)) {
        return false;
    }
    return path.size() == prefix.size() || path[prefix.size()] == '/' ||
           path[prefix.size()] == separator();
}

FsResult GuardedFileSystem::refused(const std::string& path) const {
    if (gone(path))
        return {FsStatus::path_not_found,
                folder_of_path(path, separator()) + ": folder does not exist"};
    return {FsStatus::failed, path + ": Permission denied"};
}

FsResult GuardedFileSystem::read_file(const std::string& path, std::string& bytes) const {
    if (gone(path)) {
        bytes.clear();
        return refused(path);
    }
    return inner_.read_file(path, bytes);
}

FsResult GuardedFileSystem::write_file(const std::string& path, std::string_view bytes) {
    touched.push_back(path);
    if (gone(path) || inside(path, read_only_folder)) return refused(path);
    if (free_bytes && bytes.size() > *free_bytes) {
        inner_.remove_file(path);  // as a real disk: the truncated file is not kept
        return {FsStatus::failed, path + ": No space left on device"};
    }
    FsResult result = inner_.write_file(path, bytes);
    if (result.ok()) {
        changes.push_back("write " + path);
        if (after_write) after_write(path);
    }
    return result;
}

FsResult GuardedFileSystem::rename_file(const std::string& from, const std::string& to) {
    touched.push_back(from);
    touched.push_back(to);
    if (gone(from) || gone(to) || inside(from, read_only_folder) || inside(to, read_only_folder)) {
        return refused(gone(from) || inside(from, read_only_folder) ? from : to);
    }
    FsResult result = inner_.rename_file(from, to);
    if (result.ok()) changes.push_back("rename " + from + " -> " + to);
    return result;
}

FsResult GuardedFileSystem::remove_file(const std::string& path) {
    touched.push_back(path);
    if (gone(path) || inside(path, read_only_folder)) return refused(path);
    FsResult result = inner_.remove_file(path);
    if (result.ok()) changes.push_back("remove " + path);
    return result;
}

FsResult GuardedFileSystem::create_folder(const std::string& path) {
    if (gone(path) || inside(path, read_only_folder)) return refused(path);
    return inner_.create_folder(path);
}

bool GuardedFileSystem::file_exists(const std::string& path) const {
    return !gone(path) && inner_.file_exists(path);
}

bool GuardedFileSystem::folder_exists(const std::string& path) const {
    return !gone(path) && inner_.folder_exists(path);
}

std::optional<std::string> GuardedFileSystem::find_ignoring_case(const std::string& folder,
                                                                 std::string_view name) const {
    if (gone(folder)) return std::nullopt;
    return inner_.find_ignoring_case(folder, name);
}

std::vector<FolderEntry> GuardedFileSystem::list_files(const std::string& folder,
                                                       std::string_view pattern) const {
    if (gone(folder)) return {};
    return inner_.list_files(folder, pattern);
}

std::vector<FolderEntry> GuardedFileSystem::list_folders(const std::string& folder) const {
    if (gone(folder)) return {};
    return inner_.list_folders(folder);
}

std::optional<std::int64_t> GuardedFileSystem::modification_time(const std::string& path) const {
    if (gone(path)) return std::nullopt;
    return inner_.modification_time(path);
}

}  // namespace sorvane
