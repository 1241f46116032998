#pragma once

#include <string>

namespace sorvane {

// The per-user folder that holds the control file: $XDG_CONFIG_HOME/sorvane, or
// ~/.config/sorvane, on POSIX systems (%APPDATA%\Sorvane on Windows). Without a
// trailing separator; it may not exist yet.
std::string default_system_dir();

}  // namespace sorvane
