#include "app/console_ui.h"

#include <ostream>

namespace sorvane {

Answer ConsoleUi::message_box(std::string_view text, std::string_view title, Buttons buttons) {
    std::string folded;
    for (char c : text) {
        if (c == '\n') continue;
        folded += c == '\r' ? ' ' : c;
    }
    if (speak_) err_ << "sorvanecli: " << title << ": " << folded << '\n';
    messages_.push_back(std::move(folded));
    // Nobody answers: a question keeps what is there, an OK box is acknowledged.
    switch (buttons) {
        case Buttons::yes_no:
            return Answer::yes;
        case Buttons::ok_cancel:
            return Answer::cancel;
        case Buttons::ok:
            break;
    }
    return Answer::ok;
}

bool ConsoleUi::show_progress(std::string_view text, int, int) {
    // The wait asks many times a second; a line is worth printing when it changes.
    if (speak_ && text != last_progress_) err_ << text << '\n';
    last_progress_ = text;
    return true;
}

std::vector<std::string> ConsoleUi::take_messages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

}  // namespace sorvane
