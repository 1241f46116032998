#include "platform/system_folder.h"

#include <cstdlib>

namespace sorvane {

std::string default_system_dir() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        return std::string(config) + "/sorvane";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : "/tmp") + "/.config/sorvane";
}

}  // namespace sorvane
