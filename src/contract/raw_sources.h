#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The side file that "GO" writes beside the control file: for every spectrum it
// converted, the base name, the raw file it came from and that file's type, so that
// the runtime can name them in the result (the CHN file keeps no path).
inline constexpr std::string_view raw_sources_file_name = "sorvane.inf.sources";

struct RawSource {
    std::string base_name;
    int type_code = 0;
    std::string type_name;  // the type selector's caption
    std::string raw_path;
};

// One CR LF line per source: base name, type code, type name and path, separated by
// tabs (a tab is in no name the window makes); sources whose fields hold a tab or a
// line end are left out, as they could not be read back.
std::string render_raw_sources(const std::vector<RawSource>& sources);
std::vector<RawSource> parse_raw_sources(std::string_view text);

// The source of a base name, compared ignoring case as the runtime compares names.
std::optional<RawSource> source_of(const std::vector<RawSource>& sources,
                                   std::string_view base_name);

}  // namespace sorvane
