#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "contract/analysis_settings.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;
class Ui;

// What collecting found beside the record itself.
struct CollectFacts {
    const AnalysisSettings& settings;
    bool runtime_missing;
    bool manual_entry_failed;
    bool cal_area_manual;
};

// One check of the settings: every row that holds replaces the status, so the
// last one in this order decides which message is shown.
struct StatusRule {
    std::int16_t status;
    bool (*holds)(const CollectFacts&);
    std::string_view message;
};

extern const std::array<StatusRule, 6> settings_status_rules;

inline constexpr std::string_view option_error_title = "OPTION error";
// The runtime's file name as the front end looks it up (ignoring case).
inline constexpr std::string_view runtime_file_name = "run_tovalu.exe";

// Copies every control into the record, forces the two bounded parameters into
// range, checks the record and shows at most one "OPTION error" message. 0 when
// everything is fine, otherwise the status of the deciding check. While
// `exiting` is set the manual peak entry is not run.
std::int16_t collect_settings(Form1& form, AnalysisSettings& settings, const FileSystem& files,
                              Ui& ui, bool exiting);

}  // namespace sorvane
