// What a result entry opens in the shell, and the run summary's plain lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "ui/win32/result_document.h"

namespace sorvane {
namespace {

struct DocumentCase {
    const char* name;
    std::vector<std::string> files;  // besides the result itself
    std::string res_path;
    std::string expected;
};

class ResultDocumentTest : public ::testing::TestWithParam<DocumentCase> {};

TEST_P(ResultDocumentTest, ReportPageBeforePlotBeforeText) {
    const DocumentCase& given = GetParam();
    MemoryFileSystem files;
    files.add_folder("C:\\res");
    files.add_file(given.res_path, "[peaks]\r\n");
    for (const std::string& path : given.files) files.add_file(path, "x");
    EXPECT_EQ(result_document_of(given.res_path, files), given.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Companions, ResultDocumentTest,
    ::testing::Values(
        DocumentCase{"page_and_plot",
                     {"C:\\res\\B.html", "C:\\res\\B.svg"},
                     "C:\\res\\B.res",
                     "C:\\res\\B.html"},
        DocumentCase{"plot_only", {"C:\\res\\B.svg"}, "C:\\res\\B.res", "C:\\res\\B.svg"},
        DocumentCase{"text_only", {}, "C:\\res\\B.res", "C:\\res\\B.res"},
        DocumentCase{
            "upper_case_extension", {"C:\\res\\B.html"}, "C:\\res\\B.RES", "C:\\res\\B.html"},
        DocumentCase{
            "other_result_s_page", {"C:\\res\\A.html"}, "C:\\res\\B.res", "C:\\res\\B.res"},
        DocumentCase{
            "dotted_folder", {"C:\\res.d\\B.html"}, "C:\\res.d\\B.res", "C:\\res.d\\B.html"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase {
    const char* name;
    SummaryRow row;
    std::string expected;
};

class SummaryLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SummaryLineTest, OneLinePerSpectrum) {
    const std::vector<std::string> lines = summary_lines({GetParam().row});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SummaryLineTest,
    ::testing::Values(
        LineCase{"analysed",
                 {.name = "co60",
                  .live_time = "600",
                  .peaks = "2",
                  .strongest = "1332.5 keV 9000; 1173.2 keV 9800"},
                 "co60   live time 600 s   2 peaks   1332.5 keV 9000; 1173.2 keV 9800"},
        LineCase{"failed",
                 {.name = "bad", .failure = "not read: no channels"},
                 "bad   not read: no channels"},
        LineCase{"no_peaks", {.name = "bkg", .live_time = "60"}, "bkg   live time 60 s   0 peaks"},
        LineCase{"nuclides",
                 {.name = "eu", .peaks = "5", .nuclides = "Eu-152 K-40"},
                 "eu   5 peaks   Eu-152 K-40"},
        LineCase{"earlier",
                 {.name = "s1", .peaks = "1", .failure = "not converted", .earlier = true},
                 "s1   not converted   (earlier result)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SummaryLines, KeepTheRowsOrder) {
    const std::vector<std::string> lines =
        summary_lines({{.name = "b", .peaks = "1"}, {.name = "a", .peaks = "3"}});
    EXPECT_EQ(lines, (std::vector<std::string>{"b   1 peaks", "a   3 peaks"}));
}

}  // namespace
}  // namespace sorvane
