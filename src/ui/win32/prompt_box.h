#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sorvane {

// A modal box with a prompt, one line to type, OK and Cancel, and optionally a
// "Browse..." button that picks the runtime program in `browse_folder`, answering
// with its folder.
struct PromptRequest {
    std::wstring prompt;
    std::wstring title;
    std::wstring initial;
    bool browse = false;
    std::wstring browse_folder;
};

// The typed text, or nothing when cancelled or closed.
std::optional<std::wstring> run_prompt_box(HWND owner, const PromptRequest& request);

}  // namespace sorvane
