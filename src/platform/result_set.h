#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

// The files of one spectrum's result set in the result folder: B.res and, when
// asked for, B.svg, B.csv and the report page B.html. A new result replaces the set
// as a whole.
inline constexpr std::array<std::string_view, 4> result_set_extensions = {".res", ".svg", ".csv",
                                                                          ".html"};

// The log in the result folder of spectra whose earlier result was kept.
inline constexpr std::string_view run_log_name = "sorvane-run.log";

// Removes every file of the set `res_dir` + `base` that exists; the first failure
// is returned and the other files are still tried.
FsResult remove_result_set(FileSystem& files, const std::string& res_dir, const std::string& base);

// Appends "date time file: reason" as one line to the run log of `res_dir`.
FsResult append_run_log(FileSystem& files, const std::string& res_dir, std::string_view stamp,
                        std::string_view file, std::string_view reason);

// One line of the run log, without its line end.
std::string run_log_line(std::string_view stamp, std::string_view file, std::string_view reason);

// Appends the lines to the run log of `res_dir` in one write. The log is replaced
// whole, so a failed write (a full disk) leaves the earlier log as it was.
FsResult append_run_log_lines(FileSystem& files, const std::string& res_dir,
                              const std::vector<std::string>& lines);

// One line of the run log, as append_run_log writes it.
struct RunLogLine {
    std::string stamp;  // "YYYY-MM-DD HH:MM:SS"
    std::string file;
    std::string reason;
};

// The parts of a run log line; nothing for a line of another form.
std::optional<RunLogLine> read_run_log_line(std::string_view line);

// The local date and time "YYYY-MM-DD HH:MM:SS", for the run log.
std::string local_time_stamp();

// Seconds since 1970-01-01 UTC now, the clock of the file system's modification times.
std::int64_t utc_seconds();

}  // namespace sorvane
