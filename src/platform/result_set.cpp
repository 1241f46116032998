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
    const std::string path = res_dir + std::string(run_log_name);
    std::string log;
    if (files.file_exists(path)) {
        const FsResult read = files.read_file(path, log);
        if (!read.ok()) return read;
        if (!log.empty() && log.back() != '\n') log += '\n';
    }
    log += std::string(stamp) + " " + std::string(file) + ": " + std::string(reason) + "\n";
    return files.write_file(path, log);
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
