#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/dos_pattern.h"

namespace sorvane {
namespace {

FsResult failure(FsStatus status, const std::string& path, int error_number) {
    return {status, path + ": " + std::strerror(error_number)};
}

FsStatus status_of_errno(int error_number) {
    return error_number == ENOENT ? FsStatus::file_not_found : FsStatus::failed;
}

bool is_kind(const std::string& path, mode_t kind) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

std::string folder_or_dot(const std::string& folder) {
    return folder.empty() ? "./" : folder;
}

// The entries of a folder of one kind that `keep` takes, "." and ".." left out.
// The kind comes from the directory entry itself; only when the file system does
// not tell it (or for a link) is the entry looked up, so large folders list fast.
template <typename KeepName>
std::vector<FolderEntry> list_entries(const std::string& folder, mode_t kind, KeepName keep) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder_or_dot(folder).c_str());
    if (dir == nullptr) return entries;
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    const unsigned char wanted = kind == S_IFDIR ? DT_DIR : DT_REG;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name == "." || name == ".." || !keep(name)) continue;
        const bool of_kind = (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
                                 ? is_kind(prefix + std::string(name), kind)
                                 : entry->d_type == wanted;
        if (of_kind) entries.push_back({std::string(name)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return less_ignoring_case(a.name, b.name);
    });
    return entries;
}

}  // namespace

std::string PosixFileSystem::resolve(const std::string& path) const {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return path;
    std::string folder = folder_of_path(path, '/');
    std::optional<std::string> found = find_ignoring_case(folder, name_of_path(path, '/'));
    return found ? folder + *found : path;
}

FsResult PosixFileSystem::read_file(const std::string& path, std::string& bytes) const {
    bytes.clear();
    std::string folder = folder_of_path(path, '/');
    if (!folder.empty() && !folder_exists(folder)) {
        return {FsStatus::path_not_found, folder + ": folder does not exist"};
    }
    std::string real = resolve(path);
    int fd = ::open(real.c_str(), O_RDONLY);
    if (fd < 0) return failure(status_of_errno(errno), path, errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return {FsStatus::failed, path + ": is a folder"};
    }
    // Read straight into the result, sized once from the file's length; a file that
    // grows meanwhile is read on to its end all the same.
    std::size_t filled = 0;
    bytes.resize(
        std::max<std::size_t>(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)), 1) + 1);
    for (;;) {
        if (filled == bytes.size()) bytes.resize(2 * bytes.size());
        ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            int error_number = errno;
            ::close(fd);
            bytes.clear();
            return failure(FsStatus::failed, path, error_number);
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    ::close(fd);
    return FsResult::success();
}

FsResult PosixFileSystem::write_file(const std::string& path, std::string_view bytes) {
    std::string folder = folder_of_path(path, '/');
    if (!folder.empty() && !folder_exists(folder)) {
        return {FsStatus::path_not_found, folder + ": folder does not exist"};
    }
    return write_file_as_named(resolve(path), bytes);
}

FsResult PosixFileSystem::write_file_as_named(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return failure(status_of_errno(errno), path, errno);
    std::size_t done = 0;
    int error_number = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error_number = put < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0 && error_number == 0) error_number = errno;
    if (error_number != 0) {
        ::unlink(path.c_str());  // never leave a truncated file behind
        return failure(FsStatus::failed, path, error_number);
    }
    return FsResult::success();
}

FsResult PosixFileSystem::rename_file(const std::string& from, const std::string& to) {
    if (::rename(resolve(from).c_str(), resolve(to).c_str()) != 0) {
        return failure(status_of_errno(errno), from, errno);
    }
    return FsResult::success();
}

FsResult PosixFileSystem::rename_file_as_named(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return failure(status_of_errno(errno), from, errno);
    return FsResult::success();
}

bool PosixFileSystem::file_exists_as_named(const std::string& path) const {
    return is_kind(path, S_IFREG);
}

FsResult PosixFileSystem::remove_file(const std::string& path) {
    if (::unlink(resolve(path).c_str()) != 0) return failure(status_of_errno(errno), path, errno);
    return FsResult::success();
}

FsResult PosixFileSystem::create_folder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) return {FsStatus::failed, path + ": " + error.message()};
    if (!folder_exists(path)) return {FsStatus::failed, path + ": not a folder"};
    return FsResult::success();
}

bool PosixFileSystem::file_exists(const std::string& path) const {
    return is_kind(resolve(path), S_IFREG);
}

bool PosixFileSystem::folder_exists(const std::string& path) const {
    return !path.empty() && is_kind(path, S_IFDIR);
}

std::optional<std::string> PosixFileSystem::find_ignoring_case(const std::string& folder,
                                                               std::string_view name) const {
    std::string exact = folder + std::string(name);
    struct stat info {};
    if (::lstat(exact.c_str(), &info) == 0) return std::string(name);
    DIR* dir = ::opendir(folder_or_dot(folder).c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (equal_ignoring_case(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::vector<FolderEntry> PosixFileSystem::list_files(const std::string& folder,
                                                     std::string_view pattern) const {
    // Names starting with "." are the hidden files of POSIX.
    return list_entries(folder, S_IFREG, [&](std::string_view name) {
        return name[0] != '.' && matches_any_dos_pattern(name, pattern);
    });
}

std::vector<FolderEntry> PosixFileSystem::list_folders(const std::string& folder) const {
    return list_entries(folder, S_IFDIR, [](std::string_view) { return true; });
}

std::optional<std::int64_t> PosixFileSystem::modification_time(const std::string& path) const {
    struct stat info {};
    if (::stat(resolve(path).c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::int64_t>(info.st_mtime);
}

std::string PosixFileSystem::current_folder() const {
    std::string buffer(4096, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return "/";
    buffer.resize(std::strlen(buffer.c_str()));
    if (buffer.empty() || buffer.back() != '/') buffer += '/';
    return buffer;
}

}  // namespace sorvane
