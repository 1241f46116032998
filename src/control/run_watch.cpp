#include "control/run_watch.h"

#include <algorithm>

namespace sorvane {
namespace {

std::string counted(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun;
}

// The "[spectrum]" line that tells a failure result: "analysed_range = -".
bool names_no_range(const std::string& text) {
    const auto section = text.find("[spectrum]");
    if (section == std::string::npos) return false;
    const auto next = text.find("\n[", section + 1);
    const std::string spectrum =
        text.substr(section, next == std::string::npos ? next : next - section);
    for (std::size_t at = spectrum.find("analysed_range"); at != std::string::npos;
         at = spectrum.find("analysed_range", at + 1)) {
        const auto end = spectrum.find_first_of("\r\n", at);
        std::string line = spectrum.substr(at, end == std::string::npos ? end : end - at);
        line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
        if (line == "analysed_range=-") return true;
    }
    return false;
}

}  // namespace

bool is_this_runs_result(const FileSystem& fs, const std::string& path, std::int64_t run_start) {
    const std::optional<std::int64_t> written = fs.modification_time(path);
    return written && *written >= run_start;
}

bool is_failure_result(const FileSystem& fs, const std::string& path) {
    std::string text;
    return fs.read_file(path, text).ok() && names_no_range(text);
}

RunWatch::RunWatch(std::int64_t runtime, std::string res_dir, std::vector<std::string> bases,
                   std::int64_t run_start)
    : runtime_(runtime),
      res_dir_(std::move(res_dir)),
      bases_(std::move(bases)),
      run_start_(run_start),
      pending_(bases_) {
    tally_.expected = bases_.size();
}

void RunWatch::look(const FileSystem& fs, Process& process) {
    if (over_) return;
    // Asked before the files are looked at: a result written just before the end is
    // then counted in this very look.
    const std::optional<int> ended = process.exit_status(runtime_);
    std::erase_if(pending_, [&](const std::string& base) {
        const std::string path = res_dir_ + base + ".res";
        if (!is_this_runs_result(fs, path, run_start_)) return false;
        ++(is_failure_result(fs, path) ? tally_.failed : tally_.analysed);
        return true;
    });
    if (!ended) return;
    tally_.exit_status = ended;
    tally_.missing = pending_;
    over_ = true;
}

std::string watched_status_line(const std::string& files, const RunWatch& watch) {
    const RunTally& t = watch.tally();
    std::string line = "GO: " + files + "; ";
    if (!t.exit_status)
        line += "the runtime is working: ";
    else if (*t.exit_status >= 0)
        line += "the runtime has ended (exit status " + std::to_string(*t.exit_status) + "): ";
    else
        line += "the runtime has ended without an exit status (it was stopped): ";
    line += std::to_string(t.analysed + t.failed) + " of " + std::to_string(t.expected) +
            " results written, " + counted(t.failed, "failed");
    if (t.exit_status) line += ", " + counted(t.missing.size(), "without a result");
    return line + "; result folder " + watch.res_dir();
}

}  // namespace sorvane
