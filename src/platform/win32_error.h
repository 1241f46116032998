#pragma once

#include <string>

namespace sorvane {

// The system's words for a Win32 error code, without the trailing period and line break.
std::string win32_error_text(unsigned long error_code);

}  // namespace sorvane
