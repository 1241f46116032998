#include "ui/window_arguments.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

using Mode = WindowArguments::Mode;

TEST(WindowArguments, EachCommandLineOpensWhatItNames) {
    struct Case {
        std::vector<std::string> arguments;
        Mode mode;
        const char* pdf;
        const char* result;
    };
    const Case cases[] = {
        {{}, Mode::main_window, "", ""},
        {{"/r/B.res"}, Mode::open_result, "", "/r/B.res"},
        {{"--report-pdf", "/out/B.pdf", "/r/B.res"}, Mode::report_pdf, "/out/B.pdf", "/r/B.res"},
        // Missing or extra names open nothing rather than guess.
        {{"--report-pdf", "/out/B.pdf"}, Mode::wrong, "", ""},
        {{"--report-pdf"}, Mode::wrong, "", ""},
        {{"--report-pdf", "a", "b", "c"}, Mode::wrong, "", ""},
        {{"/r/A.res", "/r/B.res"}, Mode::wrong, "", ""},
    };
    for (const Case& c : cases) {
        const WindowArguments parsed = parse_window_arguments(c.arguments);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(parsed.mode, c.mode) << shown << " (" << c.arguments.size() << ")";
        EXPECT_EQ(parsed.pdf_path, c.pdf) << shown;
        EXPECT_EQ(parsed.result_path, c.result) << shown;
        EXPECT_EQ(parsed.problem.empty(), c.mode != Mode::wrong) << shown;
    }
}

}  // namespace
}  // namespace sorvane
