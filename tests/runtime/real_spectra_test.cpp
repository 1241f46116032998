#include <gtest/gtest.h>

#include <sstream>

#include "platform/real_platform.h"
#include "run_batch.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

std::vector<std::string> peak_lines(const std::string& text) {
    const auto begin = text.find("flags\r\n") + 7;
    const auto end = text.find("[messages]");
    std::vector<std::string> lines;
    std::istringstream in(text.substr(begin, end - begin));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class RealSpectra : public ::testing::TestWithParam<const char*> {};

// Real HPGe and NaI spectra in the published layout (4096 to 16384 channels)
// analyse without error and give peaks.
TEST_P(RealSpectra, AnalyseWithoutError) {
    TempFolder out;
    RealFileSystem fs;
    RunRequest request;
    request.system_dir = out.path();
    request.chn_dir = test_data_path("realdata/chn/");
    request.res_dir = out.path();
    request.base_names = {GetParam()};
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
    std::string text;
    ASSERT_TRUE(fs.read_file(out.path() + GetParam() + ".res", text).ok());
    EXPECT_GE(peak_lines(text).size(), 3u) << text.substr(0, 2000);
    EXPECT_NE(text.find("energy_source = file"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Files, RealSpectra,
                         ::testing::Values("01122014152731-GT01122014182338-GA37",
                                           "1110C_NAA_cave_background_May_2017",
                                           "1110C_NAA_cave_pottery", "Alcatraz14",
                                           "Mendocino_07-10-13_Acq-10-10-13"));

}  // namespace
}  // namespace sorvane
