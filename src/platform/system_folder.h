#pragma once

#include <string>

namespace sorvane {

// The per-user folder that holds the control file: $XDG_CONFIG_HOME/sorvane, or
// ~/.config/sorvane, on POSIX systems (%APPDATA%\Sorvane on Windows). Without a
// trailing separator; it may not exist yet.
std::string default_system_dir();

// The folder of the running program, ending in the separator; empty when unknown.
std::string executable_folder();

}  // namespace sorvane
