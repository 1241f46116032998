#include "control/run_results.h"

#include <unordered_map>

#include "platform/text_helpers.h"

namespace sorvane {

std::vector<std::string> results_of_run(const FileSystem& files, const RunMark& run) {
    std::unordered_map<std::string, std::string> listed;  // lower case -> as stored
    for (FolderEntry& entry : files.list_files(run.res_dir, "*.res"))
        listed.emplace(lower_text(entry.name), std::move(entry.name));
    std::vector<std::string> own;
    for (const std::string& base : run.bases) {
        const auto found = listed.find(lower_text(base + ".res"));
        if (found == listed.end()) continue;
        const std::optional<std::int64_t> written =
            files.modification_time(run.res_dir + found->second);
        if (written && *written >= run.started) own.push_back(base);
    }
    return own;
}

}  // namespace sorvane
