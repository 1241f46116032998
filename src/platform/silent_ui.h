#pragma once

#include "platform/ui.h"

namespace sorvane {

// A Ui with nobody behind it, for fuzz targets and benchmarks: every box is
// answered "OK", every input box and file dialog is cancelled, progress goes on.
class SilentUi final : public Ui {
public:
    Answer message_box(std::string_view, std::string_view, Buttons) override { return Answer::ok; }
    std::optional<std::string> input_box(std::string_view, std::string_view,
                                         std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_dialog(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> save_file_dialog(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void set_pointer(Pointer) override {}
    bool show_progress(std::string_view, int, int) override { return true; }
    void end_progress() override {}
};

}  // namespace sorvane
