#include "platform/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "platform/dos_pattern.h"
#include "platform/win32_error.h"

namespace sorvane {
namespace {

constexpr DWORD hidden_or_system = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool close() {
        if (!valid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// Ends a FindFirstFile search when it goes out of scope.
class FindHandle {
public:
    FindHandle(const std::string& pattern, WIN32_FIND_DATAA& data)
        : handle_(FindFirstFileA(pattern.c_str(), &data)) {}
    ~FindHandle() {
        if (valid()) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& data) const { return FindNextFileA(handle_, &data) != 0; }

private:
    HANDLE handle_;
};

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// The folder part of a path with either separator, including it; empty without one.
std::string parent_of(const std::string& path) {
    const std::size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string as_folder(const std::string& folder) {
    if (folder.empty()) return ".\\";
    return is_separator(folder.back()) ? folder : folder + '\\';
}

FsStatus status_of(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND) return FsStatus::file_not_found;
    if (error == ERROR_PATH_NOT_FOUND) return FsStatus::path_not_found;
    return FsStatus::failed;
}

FsResult failure(const std::string& path, DWORD error) {
    return {status_of(error), path + ": " + win32_error_text(error)};
}

std::optional<DWORD> attributes_of(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

FsResult missing_folder(const std::string& folder) {
    return {FsStatus::path_not_found, folder + ": folder does not exist"};
}

bool is_dot_entry(const char* name) {
    return std::string_view(name) == "." || std::string_view(name) == "..";
}

// Every entry of a folder that `keep` accepts, sorted by name ignoring case.
template <typename Keep>
std::vector<FolderEntry> list_entries(const std::string& folder, Keep keep) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data{};
    FindHandle search(as_folder(folder) + "*", data);
    if (!search.valid()) return entries;
    do {
        if (!is_dot_entry(data.cFileName) && keep(data)) entries.push_back({data.cFileName});
    } while (search.next(data));
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return less_ignoring_case(a.name, b.name);
    });
    return entries;
}

}  // namespace

std::int64_t unix_seconds_of_file_time(std::uint64_t file_time) {
    constexpr std::int64_t steps_per_second = 10'000'000;
    constexpr std::int64_t seconds_1601_to_1970 = 11'644'473'600;
    return static_cast<std::int64_t>(file_time / steps_per_second) - seconds_1601_to_1970;
}

std::vector<std::string> split_drive_strings(std::string_view buffer) {
    std::vector<std::string> roots;
    std::size_t start = 0;
    while (start < buffer.size()) {
        const std::size_t end = std::min(buffer.find('\0', start), buffer.size());
        if (end == start) break;  // the empty string that ends the list
        roots.emplace_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    return roots;
}

FsResult Win32FileSystem::read_file(const std::string& path, std::string& bytes) const {
    bytes.clear();
    const std::string folder = parent_of(path);
    if (!folder.empty() && !folder_exists(folder)) return missing_folder(folder);
    Handle file(CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (folder_exists(path)) return {FsStatus::failed, path + ": is a folder"};
        return failure(path, error);
    }
    std::array<char, 1 << 16> buffer{};
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      nullptr)) {
            const DWORD error = GetLastError();
            bytes.clear();
            return failure(path, error);
        }
        if (got == 0) break;
        bytes.append(buffer.data(), got);
    }
    return FsResult::success();
}

FsResult Win32FileSystem::write_file(const std::string& path, std::string_view bytes) {
    const std::string folder = parent_of(path);
    if (!folder.empty() && !folder_exists(folder)) return missing_folder(folder);
    if (folder_exists(path)) return {FsStatus::failed, path + ": is a folder"};
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return failure(path, GetLastError());
    DWORD error = ERROR_SUCCESS;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD put = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr)) {
            error = GetLastError();
            break;
        }
        if (put == 0) {
            error = ERROR_DISK_FULL;
            break;
        }
        done += put;
    }
    if (!file.close() && error == ERROR_SUCCESS) error = GetLastError();
    if (error != ERROR_SUCCESS) {
        DeleteFileA(path.c_str());  // never leave a truncated file behind
        return failure(path, error);
    }
    return FsResult::success();
}

FsResult Win32FileSystem::rename_file(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return failure(from, GetLastError());
    }
    return FsResult::success();
}

FsResult Win32FileSystem::remove_file(const std::string& path) {
    if (!DeleteFileA(path.c_str())) return failure(path, GetLastError());
    return FsResult::success();
}

FsResult Win32FileSystem::create_folder(const std::string& path) {
    // Each folder on the way in turn, from the first one after the drive.
    for (std::size_t at = 0; at <= path.size(); ++at) {
        if (at < path.size() && !is_separator(path[at])) continue;
        const std::string part = path.substr(0, at);
        if (part.empty() || part.back() == ':' || is_separator(part.back()) || folder_exists(part))
            continue;
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return failure(path, GetLastError());
        }
    }
    if (!folder_exists(path)) return {FsStatus::failed, path + ": not a folder"};
    return FsResult::success();
}

bool Win32FileSystem::file_exists(const std::string& path) const {
    const std::optional<DWORD> attributes = attributes_of(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::folder_exists(const std::string& path) const {
    if (path.empty()) return false;
    const std::optional<DWORD> attributes = attributes_of(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> Win32FileSystem::find_ignoring_case(const std::string& folder,
                                                               std::string_view name) const {
    // A name with wildcards would match other entries; compare each one instead.
    if (name.empty() || name.find_first_of("*?") != std::string_view::npos) {
        std::vector<FolderEntry> all = list_entries(folder, [&](const WIN32_FIND_DATAA& data) {
            return equal_ignoring_case(data.cFileName, name);
        });
        if (all.empty()) return std::nullopt;
        return all.front().name;
    }
    WIN32_FIND_DATAA data{};
    FindHandle search(as_folder(folder) + std::string(name), data);
    if (!search.valid()) return std::nullopt;
    return std::string(data.cFileName);
}

std::vector<FolderEntry> Win32FileSystem::list_files(const std::string& folder,
                                                     std::string_view pattern) const {
    return list_entries(folder, [&](const WIN32_FIND_DATAA& data) {
        return (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | hidden_or_system)) == 0 &&
               matches_any_dos_pattern(data.cFileName, pattern);
    });
}

std::vector<FolderEntry> Win32FileSystem::list_folders(const std::string& folder) const {
    // A folder below a hidden one must be reachable in the trees, so none is left out.
    return list_entries(folder, [](const WIN32_FIND_DATAA& data) {
        return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    });
}

std::vector<std::string> Win32FileSystem::drive_roots() const {
    std::string buffer(GetLogicalDriveStringsA(0, nullptr) + 1, '\0');
    const DWORD length = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return {"C:\\"};
    buffer.resize(length);
    return split_drive_strings(buffer);
}

std::optional<std::int64_t> Win32FileSystem::modification_time(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    const std::uint64_t time =
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    return unix_seconds_of_file_time(time);
}

std::string Win32FileSystem::current_folder() const {
    std::string buffer(GetCurrentDirectoryA(0, nullptr) + 1, '\0');
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return "C:\\";
    buffer.resize(length);
    return as_folder(buffer);
}

}  // namespace sorvane
