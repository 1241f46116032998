#pragma once

#include <string>
#include <vector>

namespace sorvane {

// What the window program was asked for on its command line.
struct WindowArguments {
    enum class Mode {
        main_window,  // no argument: the main window
        open_result,  // one argument: the view of that result
        report_pdf,   // --report-pdf OUT.pdf RESULT.res: the printed page, no window
        wrong         // anything else: `problem` says what, nothing is opened
    };
    Mode mode = Mode::main_window;
    std::string result_path;
    std::string pdf_path;
    std::string problem;
};

// The arguments after the program's name.
WindowArguments parse_window_arguments(const std::vector<std::string>& arguments);

// The usage line for a wrong command line.
inline constexpr const char* window_usage =
    "usage: sorvane [RESULT.res] | sorvane --report-pdf OUT.pdf RESULT.res";

}  // namespace sorvane
