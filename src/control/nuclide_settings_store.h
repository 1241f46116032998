#pragma once

#include <string>

#include "contract/nuclide_settings.h"
#include "platform/file_system.h"

namespace sorvane {

// The nuclide settings file beside the control file in the system folder.
std::string nuclide_settings_path(const std::string& system_dir, const FileSystem& files);

// What the window found in the system folder. With no file the defaults stand and
// nothing is written until the user presses OK in the settings dialog.
struct NuclideSettingsLoad {
    NuclideSettings settings;  // the defaults where the file held nothing usable
    bool found = false;
    std::string problem;  // names the file and why; empty when it was read cleanly
};

NuclideSettingsLoad load_nuclide_settings(const std::string& path, const FileSystem& files);

// Writes through a temporary file renamed over the old one, so that a failed write
// leaves the previous settings whole; the folder is made when missing.
FsResult save_nuclide_settings(const std::string& path, const NuclideSettings& settings,
                               FileSystem& files);

}  // namespace sorvane
