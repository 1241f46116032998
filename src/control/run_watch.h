#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/process.h"

namespace sorvane {

// Whether the result at `path` was written by the run that began at `run_start`
// (seconds, the file system's clock): it exists and is not older. An earlier run's
// result, kept beside a spectrum that failed now, is older.
bool is_this_runs_result(const FileSystem& fs, const std::string& path, std::int64_t run_start);

// Whether a result file is one the runtime wrote for a spectrum it could not
// analyse (no range analysed; the reason in its messages).
bool is_failure_result(const FileSystem& fs, const std::string& path);

// This run's results so far, as a watch counts them.
struct RunTally {
    std::size_t expected = 0;          // distinct base names handed to the runtime
    std::size_t analysed = 0;          // results that hold an analysis
    std::size_t failed = 0;            // results that say why there is none
    std::optional<int> exit_status;    // once the runtime has ended
    std::vector<std::string> missing;  // after the end: names left without a result
};

// A runtime that "GO" started and did not wait for, watched without ever blocking:
// each look counts the results of this run that have appeared and asks whether the
// runtime has ended, which also reaps it. Once it has ended, one more look counts
// the results written as it ended; then the watch is over.
class RunWatch {
public:
    RunWatch(std::int64_t runtime, std::string res_dir, std::vector<std::string> bases,
             std::int64_t run_start);

    void look(const FileSystem& fs, Process& process);
    bool over() const { return over_; }

    const RunTally& tally() const { return tally_; }
    std::int64_t runtime() const { return runtime_; }
    const std::string& res_dir() const { return res_dir_; }
    const std::vector<std::string>& bases() const { return bases_; }
    std::int64_t run_start() const { return run_start_; }

private:
    std::int64_t runtime_;
    std::string res_dir_;
    std::vector<std::string> bases_;
    std::int64_t run_start_;
    std::vector<std::string> pending_;
    RunTally tally_;
    bool over_ = false;
};

// The status line of a watched run: "the runtime is working: ..." while it runs,
// "the runtime has ended (exit status 0): ..." after; `files` is what came before
// (what was listed or converted).
std::string watched_status_line(const std::string& files, const RunWatch& watch);

}  // namespace sorvane
