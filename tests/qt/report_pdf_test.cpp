// The printed report as a customer gets it: the PDF that `sorvane --report-pdf`
// writes for the demo's Eu-152 result, looked at through poppler's tools.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/real_platform.h"
#include "support/demo_run.h"
#include "support/pdf_pages.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

const std::string demo = std::string(DEMO_DIR) + "/";

// Runs the window program; its exit status, stderr in `err`.
int run_window(const std::string& arguments, std::string& err, const std::string& folder) {
    const std::string err_path = folder + "stderr.txt";
    const int status = std::system(
        (std::string("'") + WINDOW_PROGRAM + "' " + arguments + " 2>'" + err_path + "'").c_str());
    std::ifstream in(err_path);
    std::stringstream text;
    text << in.rdbuf();
    err = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The demo's Eu-152 spectrum analysed with activities and the report page on.
class ReportPdf : public ::testing::Test {
protected:
    void SetUp() override {
        NuclideSettings settings = demo_eu152_settings(demo);
        settings.write_report = true;
        ASSERT_TRUE(analyse_demo_eu152(demo, folder.path(), settings));
        result = folder.path() + "iec_eu152.res";
        ASSERT_TRUE(RealFileSystem().file_exists(folder.path() + "iec_eu152.html"));
    }

    TempFolder folder;
    std::string result;
};

TEST_F(ReportPdf, CommandLineWritesThePageOrSaysWhyNot) {
    RealFileSystem fs;
    // A result without a page beside it.
    std::string bare;
    ASSERT_TRUE(fs.read_file(result, bare).ok());
    ASSERT_TRUE(fs.write_file(folder.path() + "bare.res", bare).ok());
    struct Case {
        std::string arguments;
        int status;
        std::string pdf;        // written when the status is 0
        std::string err_names;  // a text the message holds
    };
    const std::string out = folder.path() + "out.pdf";
    const Case cases[] = {
        {"--report-pdf '" + out + "' '" + result + "'", 0, out, ""},
        {"--report-pdf '" + folder.path() + "none.pdf' '" + folder.path() + "none.res'", 1, "",
         "none.res"},
        {"--report-pdf '" + folder.path() + "bare.pdf' '" + folder.path() + "bare.res'", 1, "",
         "bare.html"},
        {"--report-pdf '" + out + "'", 2, "", "usage"},
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(run_window(c.arguments, err, folder.path()), c.status) << c.arguments << err;
        EXPECT_NE(err.find(c.err_names), std::string::npos) << c.arguments << ": " << err;
        if (!c.pdf.empty()) {
            std::string pdf;
            ASSERT_TRUE(fs.read_file(c.pdf, pdf).ok()) << c.arguments;
            EXPECT_TRUE(pdf.starts_with("%PDF")) << c.arguments;
        }
    }
    EXPECT_FALSE(fs.file_exists(folder.path() + "none.pdf"));
    EXPECT_FALSE(fs.file_exists(folder.path() + "bare.pdf"));
}

TEST_F(ReportPdf, PageHoldsThePlotAndNoTextRunsTogether) {
    if (!pdf_tools_present()) GTEST_SKIP() << "poppler-utils (pdftoppm, pdftotext) not installed";
    const std::string pdf = folder.path() + "iec_eu152.pdf";
    std::string err;
    ASSERT_EQ(run_window("--report-pdf '" + pdf + "' '" + result + "'", err, folder.path()), 0)
        << err;

    // The plot: the fit's curve over the peaks at many places across the page (the
    // legend's short sample of it alone would be one place).
    const std::vector<PageImage> pages = pdf_pages(pdf, 100);
    ASSERT_FALSE(pages.empty());
    int plot_page = -1;
    for (std::size_t p = 0; p < pages.size() && plot_page < 0; ++p)
        if (fit_colour_places(pages[p]) >= 6) plot_page = static_cast<int>(p);
    ASSERT_GE(plot_page, 0) << "no page shows the fitted curve";

    const std::vector<PdfWord> words = pdf_words(pdf);
    ASSERT_FALSE(words.empty());
    // No cell's text touches its neighbour's.
    const std::vector<std::string> overlaps = overlapping_words(words);
    EXPECT_TRUE(overlaps.empty()) << overlaps.size() << " overlaps, first " << overlaps.front();
    // Cells stay words of their own: the nuclide apart from its verdict.
    struct Expected {
        const char* word;
    };
    for (const Expected e : {Expected{"Eu-152"}, Expected{"Co-57"}, Expected{"detected"}}) {
        EXPECT_TRUE(std::any_of(words.begin(), words.end(),
                                [&](const PdfWord& w) { return w.text == e.word; }))
            << e.word << " is not a word of its own";
    }
    // The plot's heading is on the plot's page, not alone at the foot of the one before.
    const auto heading = std::find_if(words.rbegin(), words.rend(),
                                      [](const PdfWord& w) { return w.text == "Spectrum"; });
    ASSERT_NE(heading, words.rend());
    EXPECT_EQ(heading->page, plot_page);
}

}  // namespace
}  // namespace sorvane
