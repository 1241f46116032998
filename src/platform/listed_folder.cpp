#include "platform/listed_folder.h"

#include "platform/text_helpers.h"

namespace sorvane {

ListedFolderFileSystem::ListedFolderFileSystem(FileSystem& inner, std::string folder)
    : inner_(inner), folder_(std::move(folder)) {
    refresh();
}

void ListedFolderFileSystem::refresh() {
    std::unordered_map<std::string, std::string> names;
    for (FolderEntry& entry : inner_.list_files(folder_, "*.*"))
        names.emplace(lower_text(entry.name), std::move(entry.name));
    const std::lock_guard lock(guard_);
    names_ = std::move(names);
}

bool ListedFolderFileSystem::in_folder(const std::string& path) const {
    if (path.size() <= folder_.size() || path.compare(0, folder_.size(), folder_) != 0)
        return false;
    const std::string_view name = std::string_view(path).substr(folder_.size());
    // Hidden names are in no listing; a deeper path is another folder's.
    return name.front() != '.' && name_of_path(name, inner_.separator()) == name;
}

ListedFolderFileSystem::Named ListedFolderFileSystem::named(const std::string& path) const {
    const std::lock_guard lock(guard_);
    const auto found = names_.find(lower_text(path.substr(folder_.size())));
    if (found == names_.end()) return {path, false};
    return {folder_ + found->second, true};
}

void ListedFolderFileSystem::note_written(const std::string& path) {
    std::string name = path.substr(folder_.size());
    std::string key = lower_text(name);
    const std::lock_guard lock(guard_);
    names_.insert_or_assign(std::move(key), std::move(name));
}

void ListedFolderFileSystem::note_removed(const std::string& path) {
    const std::string key = lower_text(path.substr(folder_.size()));
    const std::lock_guard lock(guard_);
    names_.erase(key);
}

FsResult ListedFolderFileSystem::read_file(const std::string& path, std::string& bytes) const {
    if (!in_folder(path)) return inner_.read_file(path, bytes);
    const Named file = named(path);
    if (!file.listed && !inner_.file_exists_as_named(file.path)) {
        bytes.clear();
        return {FsStatus::file_not_found, path + ": file does not exist"};
    }
    return inner_.read_file(file.path, bytes);
}

FsResult ListedFolderFileSystem::write_file(const std::string& path, std::string_view bytes) {
    if (!in_folder(path)) return inner_.write_file(path, bytes);
    const Named file = named(path);
    const FsResult written = inner_.write_file_as_named(file.path, bytes);
    // A failed write leaves no file at the path.
    if (written.ok())
        note_written(file.path);
    else
        note_removed(file.path);
    return written;
}

FsResult ListedFolderFileSystem::rename_file(const std::string& from, const std::string& to) {
    const bool from_here = in_folder(from);
    const bool to_here = in_folder(to);
    if (!from_here && !to_here) return inner_.rename_file(from, to);
    const std::string source = from_here ? named(from).path : from;
    const std::string target = to_here ? named(to).path : to;
    const FsResult renamed = inner_.rename_file_as_named(source, target);
    if (renamed.ok()) {
        if (from_here) note_removed(source);
        if (to_here) note_written(target);
    }
    return renamed;
}

FsResult ListedFolderFileSystem::remove_file(const std::string& path) {
    if (!in_folder(path)) return inner_.remove_file(path);
    const Named file = named(path);
    if (!file.listed && !inner_.file_exists_as_named(file.path))
        return {FsStatus::file_not_found, path + ": file does not exist"};
    const FsResult removed = inner_.remove_file(file.path);
    if (removed.ok()) note_removed(file.path);
    return removed;
}

bool ListedFolderFileSystem::file_exists(const std::string& path) const {
    if (!in_folder(path)) return inner_.file_exists(path);
    return inner_.file_exists_as_named(named(path).path);
}

std::optional<std::string> ListedFolderFileSystem::find_ignoring_case(const std::string& folder,
                                                                      std::string_view name) const {
    const std::string path = folder + std::string(name);
    if (folder != folder_ || !in_folder(path)) return inner_.find_ignoring_case(folder, name);
    const Named file = named(path);
    if (!inner_.file_exists_as_named(file.path)) return std::nullopt;
    return file.path.substr(folder_.size());
}

std::optional<std::int64_t> ListedFolderFileSystem::modification_time(
    const std::string& path) const {
    if (!in_folder(path)) return inner_.modification_time(path);
    const Named file = named(path);
    if (!file.listed && !inner_.file_exists_as_named(file.path)) return std::nullopt;
    return inner_.modification_time(file.path);
}

}  // namespace sorvane
