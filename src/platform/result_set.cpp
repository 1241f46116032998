#include "platform/result_set.h"

#include <ctime>

namespace sorvane {

FsResult remove_result_set(FileSystem& files, const std::string& res_dir, const std::string& base) {
    FsResult first = FsResult::success();
    for (std::string_view extension : result_set_extensions) {
        const std::string path = res_dir + base + std::string(extension);
        if (!files.file_exists(path)) continue;
        const FsResult removed = files.remove_file(path);
        if (!removed.ok() && first.ok())
            first = {removed.status, "cannot delete " + path + ": " + removed.reason};
    }
    return first;
}

FsResult append_run_log(FileSystem& files, const std::string& res_dir, std::string_view stamp,
                        std::string_view file, std::string_view reason) {
    return append_run_log_lines(files, res_dir, {run_log_line(stamp, file, reason)});
}

std::string run_log_line(std::string_view stamp, std::string_view file, std::string_view reason) {
    return std::string(stamp) + " " + std::string(file) + ": " + std::string(reason);
}

FsResult append_run_log_lines(FileSystem& files, const std::string& res_dir,
                              const std::vector<std::string>& lines) {
    if (lines.empty()) return FsResult::success();
    const std::string path = res_dir + std::string(run_log_name);
    std::string log;
    if (files.file_exists(path)) {
        const FsResult read = files.read_file(path, log);
        if (!read.ok()) return read;
        if (!log.empty() && log.back() != '\n') log += '\n';
    }
    for (const std::string& line : lines) log += line + "\n";
    return write_whole_file(files, path, log);
}

std::optional<RunLogLine> read_run_log_line(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    constexpr std::size_t stamp_size = 19;  // "YYYY-MM-DD HH:MM:SS"
    if (line.size() < stamp_size + 1 || line[stamp_size] != ' ') return std::nullopt;
    const std::size_t colon = line.find(": ", stamp_size + 1);
    if (colon == std::string_view::npos) return std::nullopt;
    return RunLogLine{std::string(line.substr(0, stamp_size)),
                      std::string(line.substr(stamp_size + 1, colon - stamp_size - 1)),
                      std::string(line.substr(colon + 2))};
}

std::string local_time_stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0) return "unknown time";
#else
    if (localtime_r(&now, &local) == nullptr) return "unknown time";
#endif
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace sorvane

namespace sorvane {

std::int64_t utc_seconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace sorvane
