#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "contract/analysis_settings.h"
#include "contract/list_input.h"

namespace sorvane {

// What one control file holds: the settings and the base names of the spectra.
struct ControlFileContent {
    const AnalysisSettings& settings;
    const std::vector<std::string>& base_names;
};

// One bracketed section of the control file, in the order the writer emits them.
struct ControlFileSection {
    enum class Occurrence { last_wins, first_only };

    std::string_view tag;
    void (*write)(const ControlFileContent&, std::string& out);  // the lines after the tag
    void (*read)(ListInput&, AnalysisSettings&);                 // nullptr: never read back
    Occurrence occurrence;
    void (*before_search)(AnalysisSettings&);  // nullptr: nothing to reset
};

extern const std::array<ControlFileSection, 13> control_file_layout;

// The longest user text the file keeps.
inline constexpr std::size_t user_text_limit = 128;

// The first `limit` bytes of a text, a little fewer when the cut would split a
// UTF-8 sequence.
std::string cut_user_text(std::string_view text, std::size_t limit = user_text_limit);

// The whole control file, every line ended by CR LF.
std::string render_control_file(const AnalysisSettings& settings,
                                const std::vector<std::string>& base_names);

// Reads every section it finds into the record; a section that is missing or a
// value that cannot be read leaves its field as it was. The user text is emptied
// before its section is looked for. The file names are not read.
void parse_control_file(std::string_view bytes, AnalysisSettings& settings);

// The base names listed after "[file name]", as the runtime reads them.
std::vector<std::string> read_file_name_section(std::string_view bytes);

}  // namespace sorvane
