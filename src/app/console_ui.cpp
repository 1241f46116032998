#include "app/console_ui.h"

#include <ostream>

namespace sorvane {

Answer ConsoleUi::message_box(std::string_view text, std::string_view, Buttons buttons) {
    std::string folded;
    for (char c : text) {
        if (c == '\n') continue;
        folded += c == '\r' ? ' ' : c;
    }
    messages_.push_back(folded);
    // Nobody answers: a question keeps what is there, an OK box is acknowledged.
    switch (buttons) {
        case Buttons::yes_no: return Answer::yes;
        case Buttons::ok_cancel: return Answer::cancel;
        case Buttons::ok: break;
    }
    return Answer::ok;
}

bool ConsoleUi::show_progress(std::string_view text, int done, int total) {
    if (show_progress_) progress_stream_ << text << " (" << done << '/' << total << ")\n";
    return true;
}

void ConsoleUi::end_progress() {}

std::vector<std::string> ConsoleUi::take_messages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

}  // namespace sorvane
