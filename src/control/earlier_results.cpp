#include "control/earlier_results.h"

#include <algorithm>
#include <map>

#include "platform/result_set.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

constexpr std::string_view note_key = "res dir = ";

// The first message line of a failure result: the runtime's reason.
std::string failure_reason(std::string_view text) {
    const std::size_t section = text.find("[messages]\r\n");
    if (section == std::string_view::npos) return "no reason given";
    const std::string_view rest = text.substr(section + 12);
    return std::string(rest.substr(0, rest.find("\r\n")));
}

bool has(const std::vector<std::string_view>& extensions, std::string_view extension) {
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

// Drops the earlier set where a whole new result replaced it, else puts it back:
// the plot, table and page first and B.res last, so that a restore cut short is
// finished by the next one. `drop_new` removes new files that have no earlier one.
void settle_one(FileSystem& files, const std::string& res_dir, const std::string& base,
                const std::vector<std::string_view>& moved, bool drop_new, SettledSets& settled) {
    const std::string result = res_dir + base + ".res";
    std::string text;
    const bool new_result = files.file_exists(result) && files.read_file(result, text).ok();
    if (new_result && !is_failure_result(text)) {
        for (std::string_view extension : moved) {
            const std::string earlier = result.substr(0, result.size() - 4) +
                                        std::string(extension) + std::string(earlier_suffix);
            const FsResult removed = files.remove_file(earlier);
            if (!removed.ok()) settled.problems.push_back(removed.reason);
        }
        ++settled.replaced;
        return;
    }
    for (auto extension = result_set_extensions.rbegin(); extension != result_set_extensions.rend();
         ++extension) {
        const std::string current = res_dir + base + std::string(*extension);
        if (has(moved, *extension)) {
            const FsResult renamed =
                files.rename_file(current + std::string(earlier_suffix), current);
            if (!renamed.ok()) settled.problems.push_back(renamed.reason);
        } else if (drop_new && files.file_exists(current)) {
            const FsResult removed = files.remove_file(current);
            if (!removed.ok()) settled.problems.push_back(removed.reason);
        }
    }
    settled.kept.push_back(
        {base, new_result ? "not analysed: " + failure_reason(text) : "no new result was written"});
}

}  // namespace

bool is_failure_result(std::string_view text) {
    return text.find("\r\nanalysed_range = -\r\n") != std::string_view::npos;
}

FsResult EarlierResults::set_aside(const std::string& base) {
    std::vector<std::string_view> present;
    for (std::string_view extension : result_set_extensions) {
        const std::string path = res_dir_ + base + std::string(extension);
        if (!files_.file_exists(path)) continue;
        // An earlier set still aside from a run that could not settle it stays as it is.
        if (files_.file_exists(path + std::string(earlier_suffix)))
            return {FsStatus::failed, path + std::string(earlier_suffix) + " is still there"};
        present.push_back(extension);
    }
    if (!has(present, ".res")) return FsResult::success();
    if (!note_written_) {
        const FsResult noted =
            write_whole_file(files_, note_path_, std::string(note_key) + res_dir_ + "\r\n");
        if (!noted.ok()) return noted;
        note_written_ = true;
    }
    Aside moved{base, {}};
    for (std::string_view extension : present) {
        const std::string path = res_dir_ + base + std::string(extension);
        const FsResult renamed = files_.rename_file(path, path + std::string(earlier_suffix));
        if (!renamed.ok()) {
            SettledSets ignored;
            settle_one(files_, res_dir_, base, moved.extensions, false, ignored);
            return renamed;
        }
        moved.extensions.push_back(extension);
    }
    aside_.push_back(std::move(moved));
    return FsResult::success();
}

void EarlierResults::put_back(const std::string& base, SettledSets& settled) {
    const auto found = std::find_if(aside_.begin(), aside_.end(),
                                    [&](const Aside& aside) { return aside.base == base; });
    if (found == aside_.end()) return;
    settle_one(files_, res_dir_, found->base, found->extensions, true, settled);
    aside_.erase(found);
}

SettledSets EarlierResults::settle() {
    SettledSets settled;
    for (const Aside& aside : aside_)
        settle_one(files_, res_dir_, aside.base, aside.extensions, true, settled);
    aside_.clear();
    if (note_written_ && settled.problems.empty()) {
        files_.remove_file(note_path_);
        note_written_ = false;
    }
    return settled;
}

SettledSets settle_left_aside(FileSystem& files, const std::string& system_dir) {
    SettledSets settled;
    const std::string note_path = system_dir + files.separator() + std::string(aside_note_name);
    std::string note;
    if (!files.file_exists(note_path) || !files.read_file(note_path, note).ok()) return settled;
    std::string res_dir;
    if (note.starts_with(note_key))
        res_dir = note.substr(note_key.size(), note.find("\r\n") - note_key.size());
    settled.res_dir = res_dir;
    // Each base with the extensions of its files aside, found in one listing.
    std::map<std::string, std::pair<std::string, std::vector<std::string_view>>> sets;
    for (const FolderEntry& entry :
         res_dir.empty() ? std::vector<FolderEntry>{} : files.list_files(res_dir, "*.*")) {
        const std::string lower = lower_text(entry.name);
        if (!lower.ends_with(earlier_suffix)) continue;
        const std::string stem = entry.name.substr(0, entry.name.size() - earlier_suffix.size());
        for (std::string_view extension : result_set_extensions) {
            if (!lower_text(stem).ends_with(extension)) continue;
            const std::string base = stem.substr(0, stem.size() - extension.size());
            auto& set = sets[lower_text(base)];
            set.first = base;
            set.second.push_back(extension);
        }
    }
    for (const auto& [key, set] : sets)
        settle_one(files, res_dir, set.first, set.second, false, settled);
    if (settled.problems.empty()) files.remove_file(note_path);
    return settled;
}

}  // namespace sorvane
