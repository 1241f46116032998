#include "results/report_page.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// The page and its plot are looked for beside the result, whatever dots the
// folders hold.
TEST(ReportPage, IsFoundBesideTheResult) {
    struct Case {
        const char* result;
        const char* html;
        const char* svg;  // "" when the plot is not there
    };
    const Case cases[] = {
        {"C:\\run.2\\B.res", "C:\\run.2\\B.html", "C:\\run.2\\B.svg"},
        {"C:\\run.2\\only_page.res", "C:\\run.2\\only_page.html", ""},
        {"C:\\run.2\\noext", "C:\\run.2\\noext.html", ""},
    };
    MemoryFileSystem fs;
    for (const char* file : {"C:\\run.2\\B.html", "C:\\run.2\\B.svg", "C:\\run.2\\only_page.html",
                             "C:\\run.2\\noext.html"})
        fs.add_file(file, "<html></html>");
    for (const Case& c : cases) {
        const ReportPage page = find_report_page(fs, c.result);
        EXPECT_EQ(page.problem, "") << c.result;
        EXPECT_EQ(page.html_path, c.html);
        EXPECT_EQ(page.svg_path, c.svg);
        EXPECT_EQ(page.html, "<html></html>");
    }
    const ReportPage missing = find_report_page(fs, "C:\\run.2\\A.res");
    EXPECT_NE(missing.problem.find("C:\\run.2\\A.html"), std::string::npos) << missing.problem;
}

TEST(ReportPage, PdfExtensionOnlyWhenTheNameHasNone) {
    EXPECT_EQ(with_pdf_extension("C:\\out.d\\report"), "C:\\out.d\\report.pdf");
    EXPECT_EQ(with_pdf_extension("/out/report.PDF"), "/out/report.PDF");
}

// The export offers the result's own name, whatever dots its folder holds.
TEST(ReportPage, DefaultPdfNameIsTheResultsOwn) {
    struct Case {
        const char* result;
        const char* pdf;
    };
    const Case cases[] = {
        {"/data/run.2/iec_eu152.res", "/data/run.2/iec_eu152.pdf"},
        {"C:\\run.2\\B.RES", "C:\\run.2\\B.pdf"},
        {"/data/run.2/noext", "/data/run.2/noext.pdf"},
    };
    for (const Case& c : cases) EXPECT_EQ(default_pdf_path(c.result), c.pdf) << c.result;
}

}  // namespace
}  // namespace sorvane
