#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace sorvane {

// A run that waits for its results takes the appearance of B.res as the end of B,
// so an earlier B.res must be out of the way meanwhile. It is never deleted for
// that: the set (B.res, B.svg, ...) is renamed aside, each file to its name +
// ".earlier", and when the run ends each set is dropped where a whole new result
// took its place and put back everywhere else.
inline constexpr std::string_view earlier_suffix = ".earlier";

// Beside the control file while sets are aside: it names the result folder, so the
// next run or start puts them back after a crash of the window.
inline constexpr std::string_view aside_note_name = "sorvane.inf.aside";

// A result that says it analysed nothing ("analysed_range = -"): what the runtime
// writes for a spectrum it could not analyse. It never replaces an earlier result.
bool is_failure_result(std::string_view text);

// A set put back, and why no new result replaced it.
struct KeptSet {
    std::string base;
    std::string reason;
};

struct SettledSets {
    int replaced = 0;                   // earlier sets that a whole new result replaced
    std::vector<KeptSet> kept;          // earlier sets put back
    std::vector<std::string> problems;  // files that could not be renamed or removed
    std::string res_dir;                // the folder settled after a crash
};

// The earlier result sets of one run in one result folder.
class EarlierResults {
public:
    EarlierResults(FileSystem& files, std::string res_dir, std::string note_path)
        : files_(files), res_dir_(std::move(res_dir)), note_path_(std::move(note_path)) {}

    // Moves the set of `base` aside when it has a B.res; on a failure nothing of the
    // set stays moved and the reason is returned.
    FsResult set_aside(const std::string& base);
    // Puts the set of `base` back at once (its new result will not come).
    void put_back(const std::string& base, SettledSets& settled);
    // Settles every set still aside; the note goes once nothing is left aside.
    SettledSets settle();
    std::size_t count() const { return aside_.size(); }

private:
    struct Aside {
        std::string base;
        std::vector<std::string_view> extensions;  // the files moved
    };
    FileSystem& files_;
    std::string res_dir_;
    std::string note_path_;
    bool note_written_ = false;
    std::vector<Aside> aside_;
};

// After a crash of the window: settles the sets that a note in `system_dir` names,
// from one listing of its result folder; nothing when there is no note.
SettledSets settle_left_aside(FileSystem& files, const std::string& system_dir);

}  // namespace sorvane
