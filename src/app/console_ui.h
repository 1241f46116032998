#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "form/ui.h"

namespace sorvane {

// The Ui of the command line: it asks nothing (an input box or a question takes
// no answer), keeps the texts of the message boxes for the command to report in
// its own one-line form, and shows progress on stderr when asked to.
class ConsoleUi final : public Ui {
public:
    explicit ConsoleUi(std::ostream& progress_stream, bool show_progress = false)
        : progress_stream_(progress_stream), show_progress_(show_progress) {}

    Answer message_box(std::string_view text, std::string_view title, Buttons buttons) override;
    std::optional<std::string> input_box(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file_dialog(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> save_file_dialog(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void set_pointer(Pointer) override {}
    bool show_progress(std::string_view text, int done, int total) override;
    void end_progress() override;

    // The message texts since the last call, with line breaks folded to blanks.
    std::vector<std::string> take_messages();

private:
    std::ostream& progress_stream_;
    bool show_progress_;
    std::vector<std::string> messages_;
};

}  // namespace sorvane
