#include "ui/window_arguments.h"

namespace sorvane {

WindowArguments parse_window_arguments(const std::vector<std::string>& arguments) {
    WindowArguments parsed;
    if (arguments.empty()) return parsed;
    if (arguments[0] == "--report-pdf") {
        if (arguments.size() != 3) {
            parsed.mode = WindowArguments::Mode::wrong;
            parsed.problem = "--report-pdf takes two file names: the PDF to write and the result";
            return parsed;
        }
        parsed.mode = WindowArguments::Mode::report_pdf;
        parsed.pdf_path = arguments[1];
        parsed.result_path = arguments[2];
        return parsed;
    }
    // The desktop opens a double-clicked result with its path, which may start with
    // anything but the one option this program knows.
    if (arguments.size() == 1) {
        parsed.mode = WindowArguments::Mode::open_result;
        parsed.result_path = arguments[0];
        return parsed;
    }
    parsed.mode = WindowArguments::Mode::wrong;
    parsed.problem = "too many arguments";
    return parsed;
}

}  // namespace sorvane
