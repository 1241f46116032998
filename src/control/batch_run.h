#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "contract/raw_sources.h"
#include "control/earlier_results.h"
#include "control/run_results.h"
#include "platform/file_system.h"
#include "platform/listed_folder.h"
#include "platform/process.h"
#include "platform/result_set.h"
#include "platform/ui.h"
#include "spectrum/spectrum.h"

namespace sorvane {

// What "CHN file conversion" asks for when the raw files are converted.
enum class ChnConversion { make_chn = 0, temporary = 1, only_conversion = 2 };

// Everything one "GO" needs besides the record and the platform.
struct BatchRequest {
    int type_code = 0;  // of the type selector; above 1 converts
    ChnConversion conversion = ChnConversion::make_chn;
    std::string chn_dir;                      // raw input folder, ends in the separator
    std::string res_dir;                      // result folder, ends in the separator
    std::string system_dir;                   // holds the control file, no trailing separator
    std::string runtime_program;              // full path of run_Tovalu.exe
    std::vector<std::string> selected_names;  // the selected entries of the raw file list, in order
};

struct BatchFailure {
    std::string name;
    std::string reason;
};

struct BatchReport {
    int converted = 0;                   // distinct base names with a fresh CHN file
    std::vector<BatchFailure> failures;  // files skipped, not read or not written
    bool runtime_started = false;
    bool control_file_failed = false;  // a write of the control file failed (the user was told)
    bool cancelled = false;
    bool result_folder_unwritable = false;     // nothing was done: the folder cannot be written
    std::vector<std::string> missing_results;  // base names whose result never came
    int results_appeared = 0;  // temporary CHN files: results found while the run waited
    int earlier_kept = 0;      // earlier result sets put back, no new result having replaced them
    std::string log_path;      // the run log in the result folder
    std::string log_problem;   // why the run log could not be written; empty when it was
    RunMark run;               // which results are this run's

    // What a watch of the runtime needs once "GO" has returned.
    std::optional<std::int64_t> runtime_id;  // the started runtime
    std::int64_t run_start = 0;              // the file clock's time as the run began
    std::vector<std::string> handed_bases;   // the base names given to the runtime, each once
};

// How long the waits pause between two looks, and how long the runtime may take
// to confirm that it has read the control file.
// The clock also dates the lines of the run log.
struct BatchTiming {
    std::chrono::milliseconds poll{50};
    std::chrono::milliseconds receipt_limit{30000};
    std::function<std::string()> time_stamp = local_time_stamp;
    std::function<std::int64_t()> clock = utc_seconds;  // the run's start
};

// Writes the control file with the given input folder as "[chn dir]"; false when
// the write failed (the writer has told the user).
using ControlFileWrite = std::function<bool(const std::string& chn_dir)>;

// The run behind "GO", after the settings were collected: converts the selected raw
// files into CHN files in the result folder, writes the control file, starts the
// runtime, waits for temporary CHN files' results, and writes the control file again
// with the raw input folder.
class BatchRun {
public:
    BatchRun(Spectrum& spectrum, FileSystem& fs, Process& process, Ui& ui, BatchTiming timing = {})
        : spectrum_(spectrum), fs_(fs), process_(process), ui_(ui), timing_(timing) {}

    BatchReport run(const BatchRequest& request, const ControlFileWrite& write_control_file);

private:
    bool result_folder_writable(const BatchRequest& request, BatchReport& report);
    void convert_all(const BatchRequest& request, BatchReport& report);
    bool convert_one(const BatchRequest& request, const std::string& name, const std::string& base,
                     BatchReport& report);
    std::optional<std::int64_t> start_runtime(const BatchRequest& request, BatchReport& report);
    void wait_for_receipt(const BatchRequest& request, std::int64_t runtime);
    void wait_for_results(const BatchRequest& request, std::int64_t runtime, BatchReport& report);
    bool remove_if_present(const std::string& path, BatchReport& report, const std::string& name);
    void keep_results_of_failed(const BatchRequest& request, const std::string& name,
                                const std::string& base, std::string reason, BatchReport& report);
    void report_failures(const BatchReport& report);
    void report_missing(const BatchRequest& request, const BatchReport& report,
                        const SettledSets& settled);
    void write_raw_sources(const BatchRequest& request, BatchReport& report);
    void note_settled(const BatchRequest& request, const SettledSets& settled, BatchReport& report);
    void log(const std::string& file, const std::string& reason);
    void write_log(const BatchRequest& request, BatchReport& report);
    FileSystem& files() { return listed_ ? static_cast<FileSystem&>(*listed_) : fs_; }
    std::int64_t run_start_time(const BatchRequest& request) const;

    Spectrum& spectrum_;
    FileSystem& fs_;
    Process& process_;
    Ui& ui_;
    BatchTiming timing_;
    std::vector<std::string> converted_bases_;  // in list order, each once
    std::vector<RawSource> converted_sources_;  // the raw file of each converted base
    // The result folder, listed once for the run; the earlier sets a waiting run set aside.
    std::optional<ListedFolderFileSystem> listed_;
    std::optional<EarlierResults> earlier_;
    std::vector<std::string> log_lines_;  // not yet written to the run log
};

// Longer lists of files in a message are cut to this many, the rest counted; the
// run log names every one.
inline constexpr std::size_t listed_in_message = 10;
// The base names of listed names, each once (ignoring case), in list order.
std::vector<std::string> distinct_bases(const std::vector<std::string>& names);

// The file "GO" writes into the result folder and removes at once, to learn that the
// folder can be written before anything else is done (hidden on POSIX).
inline constexpr std::string_view write_check_name = ".sorvane-write-check";

// The receipt the runtime writes once it has read the control file.
std::string receipt_path(const std::string& system_dir, char separator);

}  // namespace sorvane
