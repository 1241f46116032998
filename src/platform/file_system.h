#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// What went wrong with a file operation. The readers tell a missing folder
// ("File does not exist.") from every other fault, so that case has its own value.
enum class FsStatus { ok, file_not_found, path_not_found, failed };

struct FsResult {
    FsStatus status = FsStatus::ok;
    std::string reason;  // plain words for messages; empty when ok

    bool ok() const { return status == FsStatus::ok; }
    static FsResult success() { return {}; }
};

// One entry of a folder listing.
struct FolderEntry {
    std::string name;  // as stored on disk, without the folder
};

// Every effect on files and folders goes through this interface, so the whole
// program runs against an in-memory file system in tests. Paths are plain text in
// the platform's form: "C:\data\a.iec" on Windows, "/data/a.iec" on POSIX.
// Folder values end in the separator.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual char separator() const = 0;

    // Reads a whole file. A missing file gives file_not_found, a missing folder
    // on the way gives path_not_found. The last path element is found ignoring case.
    virtual FsResult read_file(const std::string& path, std::string& bytes) const = 0;

    // Replaces the file whole (an older, longer file keeps no tail). On failure no
    // file is left at the path: a partial file is removed before returning.
    virtual FsResult write_file(const std::string& path, std::string_view bytes) = 0;

    // Moves a file over another one in one step (used for atomic replacement).
    virtual FsResult rename_file(const std::string& from, const std::string& to) = 0;

    virtual FsResult remove_file(const std::string& path) = 0;

    // Creates a folder and any missing folders above it; an existing one is fine.
    virtual FsResult create_folder(const std::string& path) = 0;

    virtual bool file_exists(const std::string& path) const = 0;
    virtual bool folder_exists(const std::string& path) const = 0;

    // The entry of a folder whose name equals `name` ignoring case, as stored.
    virtual std::optional<std::string> find_ignoring_case(const std::string& folder,
                                                          std::string_view name) const = 0;

    // Normal files of a folder matching a DOS pattern ("*.chn", "*.*"), ignoring
    // case, sorted by name ignoring case; hidden and system files are left out.
    virtual std::vector<FolderEntry> list_files(const std::string& folder,
                                                std::string_view pattern) const = 0;

    // Sub-folders of a folder, hidden and system ones included ("." and ".." not),
    // sorted by name ignoring case.
    virtual std::vector<FolderEntry> list_folders(const std::string& folder) const = 0;

    // Drive roots, each ending in the separator: "C:\" ... on Windows, "/" on POSIX.
    virtual std::vector<std::string> drive_roots() const = 0;

    // Seconds since 1970-01-01 UTC of the last change, or nothing when missing.
    virtual std::optional<std::int64_t> modification_time(const std::string& path) const = 0;

    // The process's current folder, ending in the separator.
    virtual std::string current_folder() const = 0;

    // The same operations under exactly the name given, for a caller that has matched
    // the name against its own listing of the folder: no entry of another letter case
    // is looked for, so a name that is not there costs no scan of the folder. Where
    // the platform itself finds names ignoring case they are the ordinary ones.
    virtual bool file_exists_as_named(const std::string& path) const { return file_exists(path); }
    virtual FsResult write_file_as_named(const std::string& path, std::string_view bytes) {
        return write_file(path, bytes);
    }
    virtual FsResult rename_file_as_named(const std::string& from, const std::string& to) {
        return rename_file(from, to);
    }
};

// Writes `bytes` beside `path` (its name + ".tmp") and renames that over `path`, so
// the file is replaced whole or not at all: a failed write leaves the earlier file.
FsResult write_whole_file(FileSystem& files, const std::string& path, std::string_view bytes);

// Folder part of a path including the last separator ("C:\a\b.iec" -> "C:\a\").
std::string folder_of_path(std::string_view path, char separator);
// Name part of a path after the last separator.
std::string name_of_path(std::string_view path, char separator);
// A relative path joined to the current folder; a path from a root ("/x",
// "C:\x", "\\host\x") as it is.
std::string absolute_path(std::string_view path, const FileSystem& files);
// A path a settings file gives, relative to `folder` (the settings file's); one from
// a root ("/x", "\\x", "C:\\x") as it is, whatever this platform's separator, since
// the file may have been written on the other kind.
std::string path_from_folder(const std::string& folder, const std::string& path, char separator);

}  // namespace sorvane
