#include "results/opened_result.h"

#include "platform/file_system.h"

namespace sorvane {
namespace {

std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

// The runtime writes a result for a spectrum it could not analyse, with no range
// analysed, no calibration, no peaks and the reason as its first message (a result
// of an earlier version may lack the range, never the peaks).
bool is_failure_result(const ResultModel& result) {
    return result.spectrum.analysed_range.empty() && result.calibration.energy.empty() &&
           result.peaks.rows.empty();
}

std::vector<std::string> notes_on(const ResultModel& result) {
    std::vector<std::string> notes;
    // Such a result never had counts: its reason comes first, not the version note.
    if (is_failure_result(result)) {
        notes.push_back("The spectrum could not be analysed: " +
                        (result.messages.empty() ? std::string("the runtime gave no reason")
                                                 : result.messages.front()));
        return notes;
    }
    if (!result.has_counts)
        notes.push_back(
            "The spectrum's counts are not in this result (it was written by an earlier "
            "version): the plot cannot be shown; the tables can.");
    else if (result.regions.empty() && !result.peaks.rows.empty())
        notes.push_back("The fitted model is not in this result: the plot shows the counts only.");
    if (result.peaks.rows.empty()) {
        std::string note = "No peaks in this result";
        if (!result.messages.empty()) note += ": " + result.messages.front();
        notes.push_back(note + ".");
    }
    return notes;
}

}  // namespace

OpenedResult opened_from_text(const std::string& path, std::string_view text) {
    OpenedResult opened;
    opened.path = path;
    opened.name = file_name_of(path);
    opened.result = read_result(text);
    opened.picture = make_picture(opened.result, opened.name);
    opened.table = peak_table(opened.result);
    opened.notes = notes_on(opened.result);
    return opened;
}

OpenedResult open_result(const FileSystem& fs, const std::string& path) {
    std::string bytes;
    const FsResult read = fs.read_file(path, bytes);
    if (!read.ok()) {
        OpenedResult failed;
        failed.path = path;
        failed.name = file_name_of(path);
        failed.error = "cannot read " + path + ": " +
                       (read.reason.empty() ? std::string("file does not exist") : read.reason);
        return failed;
    }
    return opened_from_text(path, bytes);
}

}  // namespace sorvane
