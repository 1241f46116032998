#include "platform/win32_error.h"

#include <windows.h>

#include <array>

namespace sorvane {

std::string win32_error_text(unsigned long error_code) {
    std::array<char, 512> buffer{};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       error_code, 0, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
    std::string text(buffer.data(), length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' ||
                             text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) text = "error " + std::to_string(error_code);
    return text;
}

}  // namespace sorvane
