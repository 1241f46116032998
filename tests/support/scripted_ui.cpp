#include "support/scripted_ui.h"

namespace sorvane {
namespace {

template <typename T, typename Fallback>
T take(std::deque<T>& queue, Fallback fallback) {
    if (queue.empty()) return fallback;
    T front = queue.front();
    queue.pop_front();
    return front;
}

}  // namespace

Answer ScriptedUi::message_box(std::string_view text, std::string_view title, Buttons buttons) {
    messages.push_back({std::string(text), std::string(title), buttons});
    return take(answers, buttons == Buttons::yes_no ? Answer::no : Answer::ok);
}

std::optional<std::string> ScriptedUi::input_box(std::string_view prompt, std::string_view title,
                                                 std::string_view) {
    prompts.push_back(std::string(title) + ": " + std::string(prompt));
    return take(input_answers, std::optional<std::string>());
}

std::optional<std::string> ScriptedUi::open_file_dialog(std::string_view filter,
                                                        std::string_view folder) {
    prompts.push_back("open " + std::string(filter) + " in " + std::string(folder));
    return take(file_answers, std::optional<std::string>());
}

std::optional<std::string> ScriptedUi::save_file_dialog(std::string_view filter,
                                                        std::string_view folder) {
    prompts.push_back("save " + std::string(filter) + " in " + std::string(folder));
    return take(file_answers, std::optional<std::string>());
}

bool ScriptedUi::show_progress(std::string_view text, int done, int total) {
    progress.push_back(std::string(text) + " " + std::to_string(done) + "/" +
                       std::to_string(total));
    return !cancel_progress;
}

}  // namespace sorvane
