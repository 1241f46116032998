#include "ui/window_title.h"

namespace sorvane {

Version program_version() {
    return {SORVANE_VERSION_MAJOR, SORVANE_VERSION_MINOR, SORVANE_VERSION_PATCH};
}

std::string window_title(const Version& version) {
    return "Sorvane  Ver: " + std::to_string(version.major) + ". " + std::to_string(version.minor) +
           " Rev: " + std::to_string(version.revision);
}

}  // namespace sorvane
