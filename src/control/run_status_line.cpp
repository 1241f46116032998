#include "control/run_status_line.h"

#include <vector>

namespace sorvane {
namespace {

std::string counted(std::size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

std::string files_part(const BatchRequest& request, const BatchReport& report, bool converts) {
    if (request.selected_names.empty()) return "nothing selected";
    // CHN files go to the runtime as they are; nothing is converted.
    if (!converts) return counted(request.selected_names.size(), "CHN file") + " listed";
    return counted(static_cast<std::size_t>(report.converted), "file") + " converted, " +
           std::to_string(report.failures.size()) + " failed";
}

std::string runtime_part(const BatchRequest& request, const BatchReport& report, bool converts) {
    if (converts && request.conversion == ChnConversion::only_conversion)
        return "conversion only, the runtime was not started";
    if (!report.runtime_started) return "the runtime was not started";
    // Only with temporary CHN files does the run wait and count the results.
    if (converts && request.conversion == ChnConversion::temporary) {
        return std::to_string(report.results_appeared) + " of " +
               counted(static_cast<std::size_t>(report.converted), "result") + " appeared";
    }
    return "the runtime was started";
}

}  // namespace

std::string run_files_part(const BatchRequest& request, const BatchReport& report) {
    return files_part(request, report, request.type_code > 1);
}

std::string run_status_line(const BatchRequest& request, const BatchReport& report) {
    if (report.result_folder_unwritable)
        return "GO: stopped: the result folder " + request.res_dir + " cannot be written";
    const bool converts = request.type_code > 1;
    std::vector<std::string> parts{files_part(request, report, converts),
                                   runtime_part(request, report, converts)};
    if (report.earlier_kept > 0)
        parts.push_back(counted(static_cast<std::size_t>(report.earlier_kept), "earlier result") +
                        " kept");
    if (report.cancelled) parts.emplace_back("cancelled");
    if (report.control_file_failed) parts.emplace_back("the control file was not written");
    if (!report.log_problem.empty())
        parts.push_back("the run log could not be written: " + report.log_problem);
    parts.push_back("result folder " + request.res_dir);
    std::string line = "GO: ";
    for (std::size_t at = 0; at < parts.size(); ++at) line += (at == 0 ? "" : "; ") + parts[at];
    return line;
}

}  // namespace sorvane
