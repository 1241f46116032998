#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace sorvane {

// The Ui of the command line. It asks nothing: an input box is cancelled and a
// Yes/No question keeps what is there. Message boxes are kept for the command to
// report in its own words, or, when `speak` is set, printed to stderr one line
// each together with the progress of long waits.
class ConsoleUi final : public Ui {
public:
    explicit ConsoleUi(std::ostream& err, bool speak = false) : err_(err), speak_(speak) {}

    Answer message_box(std::string_view text, std::string_view title, Buttons buttons) override;
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
    bool show_progress(std::string_view text, int done, int total) override;
    void end_progress() override { last_progress_.clear(); }
    bool answers_again() const override { return false; }

    // The message texts since the last call, with line breaks folded to blanks.
    std::vector<std::string> take_messages();

private:
    std::ostream& err_;
    bool speak_;
    std::vector<std::string> messages_;
    std::string last_progress_;
};

}  // namespace sorvane
