#pragma once

#include <string>

namespace sorvane {

struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The version this program was built as.
Version program_version();

// "Sorvane  Ver: 2. 1 Rev: 8" for 2.1.8.
std::string window_title(const Version& version);

// What the title gains when the last settings were restored.
inline constexpr std::string_view title_update_mark = "  /run_tovalu update:";

}  // namespace sorvane
