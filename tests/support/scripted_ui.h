#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace sorvane {

// A Ui for tests: answers come from queues the test fills, and every message box,
// pointer change and progress step is recorded.
class ScriptedUi final : public Ui {
public:
    struct Message {
        std::string text;
        std::string title;
        Buttons buttons;
    };

    std::deque<Answer> answers;                            // for message boxes; OK when empty
    std::deque<std::optional<std::string>> input_answers;  // for input boxes; cancel when empty
    std::deque<std::optional<std::string>> file_answers;   // for file dialogs; cancel when empty
    bool cancel_progress = false;

    std::vector<Message> messages;
    std::vector<Pointer> pointers;
    std::vector<std::string> prompts;
    std::vector<std::string> progress;

    Answer message_box(std::string_view text, std::string_view title, Buttons buttons) override;
    std::optional<std::string> input_box(std::string_view prompt, std::string_view title,
                                         std::string_view initial) override;
    std::optional<std::string> open_file_dialog(std::string_view filter,
                                                std::string_view folder) override;
    std::optional<std::string> save_file_dialog(std::string_view filter,
                                                std::string_view folder) override;
    void set_pointer(Pointer pointer) override { pointers.push_back(pointer); }
    bool show_progress(std::string_view text, int done, int total) override;
    void end_progress() override {}
    // The script stands for a person for as long as it holds input answers.
    bool answers_again() const override { return !input_answers.empty(); }

    Pointer pointer() const { return pointers.empty() ? Pointer::normal : pointers.back(); }
};

}  // namespace sorvane
