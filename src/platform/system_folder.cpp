#include "platform/system_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <string>

namespace sorvane {

#ifdef _WIN32

// %APPDATA%\Sorvane: the program's own folder is not writable for users.
std::string default_system_dir() {
    const char* app_data = std::getenv("APPDATA");
    if (app_data != nullptr && *app_data != '\0') {
        std::string folder = app_data;
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
            folder.pop_back();
        return folder + "\\Sorvane";
    }
    const char* profile = std::getenv("USERPROFILE");
    if (profile != nullptr && *profile != '\0')
        return std::string(profile) + "\\AppData\\Roaming\\Sorvane";
    return "C:\\Sorvane";
}

std::string executable_folder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\/") + 1);
}

#else

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

#endif

}  // namespace sorvane
