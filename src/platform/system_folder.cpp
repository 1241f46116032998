#include "platform/system_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace sorvane {

std::string default_system_dir() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        return std::string(config) + "/sorvane";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : "/tmp") + "/.config/sorvane";
}

std::string executable_folder() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    path.resize(static_cast<std::size_t>(length));
    return path.substr(0, path.find_last_of('/') + 1);
}

}  // namespace sorvane
