#pragma once

#include <windows.h>

#include "platform/ui.h"

namespace sorvane {

// The Ui of the Windows window: message boxes with their fixed titles, the input
// box and the "run time" box with "Browse...", the common open and save dialogs,
// the hourglass.
class Win32Ui final : public Ui {
public:
    explicit Win32Ui(HWND parent = nullptr) : parent_(parent) {}
    void set_parent(HWND parent) { parent_ = parent; }

    Answer message_box(std::string_view text, std::string_view title, Buttons buttons) override;
    std::optional<std::string> input_box(std::string_view prompt, std::string_view title,
                                         std::string_view initial) override;
    std::optional<std::string> run_time_box(std::string_view prompt, std::string_view title,
                                            std::string_view runtime_folder) override;
    std::optional<std::string> open_file_dialog(std::string_view filter,
                                                std::string_view initial_folder) override;
    std::optional<std::string> save_file_dialog(std::string_view filter,
                                                std::string_view initial_folder) override;
    void set_pointer(Pointer pointer) override;
    bool show_progress(std::string_view text, int done, int total) override;
    void end_progress() override;
    bool answers_again() const override { return true; }

    // Whether the window should show the hourglass over itself.
    bool waiting() const { return waiting_; }

private:
    HWND parent_;
    bool waiting_ = false;
};

// "caption|*.ext" as the common dialogs take it: pairs ending in NULs.
std::wstring dialog_filter(std::string_view filter);

}  // namespace sorvane
