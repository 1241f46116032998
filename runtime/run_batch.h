#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "contract/raw_sources.h"
#include "platform/file_system.h"

namespace sorvane {

// One run of the runtime: the options and folders of the control file and the
// base names of its "[file name]" section.
struct RunRequest {
    analysis::AnalysisOptions options;
    std::string system_dir;
    std::string chn_dir;
    std::string res_dir;
    std::vector<std::string> base_names;
    std::vector<RawSource> sources;  // the raw files the front end converted, when it says
    unsigned workers = 1;  // spectra analysed at once; more than 1 needs a thread-safe FileSystem
};

// Exit status of the runtime.
inline constexpr int run_all_analysed = 0;
inline constexpr int run_some_failed = 1;
inline constexpr int run_no_control_file = 2;

// Writes the receipt, then analyses chn_dir + B + ".chn" into res_dir + B + ".res"
// for each base name, on request.workers threads; one line per spectrum in the
// order of the names and a summary on `log`; returns 0 when every spectrum was
// analysed, 1 otherwise. The results are the same bytes for any number of workers.
int run_batch(const RunRequest& request, FileSystem& fs, std::ostream& log);

// Why a base name may not be used, or empty when it may: a name with a path
// separator or drive colon, or "." or "..", would write outside the result folder.
std::string refused_name_reason(const std::string& base_name);

// The CHN start date and time as "YYYY-MM-DD HH:MM:SS" (what is readable of it).
std::string start_text(std::string_view date, std::string_view time);

}  // namespace sorvane
