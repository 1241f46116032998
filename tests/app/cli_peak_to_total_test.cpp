#include <gtest/gtest.h>

#include <string>

#include "support/cli_run.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// A result file written by hand in the runtime's sections: 0.5 keV per channel, 2000
// channels of `per_channel` counts, and the peaks given as "energy area flags".
std::string result_text(double per_channel, double live_time,
                        const std::vector<std::string>& peaks) {
    std::string text = "[spectrum]\r\nlive_time = " + std::to_string(live_time) +
                       "\r\n[calibration]\r\nenergy = 0 0.5 0\r\n[peaks]\r\n"
                       "no channel d_channel energy d_energy fwhm_ch fwhm_kev area d_area "
                       "d_area_pct background cps d_cps chi2r flags\r\n";
    int no = 1;
    for (const auto& peak : peaks) text += std::to_string(no++) + " 1 0.1 " + peak + "\r\n";
    text += "[counts]\r\n";
    for (int first = 0; first < 2000; first += 10) {
        text += std::to_string(first);
        for (int ch = 0; ch < 10; ++ch) text += " " + std::to_string(int(per_channel));
        text += "\r\n";
    }
    return text;
}

// "energy d_energy fwhm_ch fwhm_kev area d_area d_area_pct background cps d_cps chi2r flags"
std::string peak(const char* energy, const char* area, const char* flags) {
    return std::string(energy) + " 0.1 4 2 " + area + " 50 2 10 1 0.1 1 " + flags;
}

// Hand values (as the library's own test): 10 counts per keV above 40 keV give 9600,
// the flat part below the cut 400: total 10000. Cs: 2500 counts at 661.7 keV, P/T
// 0.25; its 4 % peak at 700 keV is an impurity and its annihilation peak (A) no
// photon of the source. Co: 122 + 136 keV (2000 + 500) also 0.25, at 124.8 keV.
TEST(CliPeakToTotal, WritesTheCurveOfTwoSources) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/d/cs.res", result_text(5, 100,
                                         {peak("661.7", "2500", "-"), peak("700", "100", "-"),
                                          peak("511", "1000", "A")}));
    fs.add_file("/d/co.res",
                result_text(5, 100, {peak("122", "2000", "-"), peak("136", "500", "-")}));
    const auto run = run_cli(fs, {"peak-to-total", "--out", "/d/PT.txt", "/d/cs.res", "/d/co.res"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("/d/cs.res  661.7  0.25  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("/d/co.res  124.8  0.25  "), std::string::npos) << run.out;
    const auto written = fs.contents("/d/PT.txt");
    ASSERT_TRUE(written);
    EXPECT_NE(written->find("order 1\n"), std::string::npos) << *written;  // two points: a line
    EXPECT_NE(written->find("range 124.8 661.7\n"), std::string::npos) << *written;
}

// With the runtime's background taken off, a peak's own counts are its area less
// background_counts: K-40 1460.8 keV, 1000 counts of which 990 the room's, is no
// line of the source (10 < 5 % of 2500), and P/T stays 2500 / 10000.
TEST(CliPeakToTotal, ThePeaksAreNetOfTheBackgroundTakenOff) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    std::string text =
        result_text(5, 100, {peak("661.7", "2500", "- 0 0"), peak("1460.8", "1000", "- 990 10")});
    const std::string columns = "chi2r flags";
    text.insert(text.find(columns) + columns.size(), " background_counts d_background_counts");
    fs.add_file("/d/cs.res", text);
    fs.add_file("/d/co.res",
                result_text(5, 100, {peak("122", "2000", "-"), peak("136", "500", "-")}));
    const auto run = run_cli(fs, {"peak-to-total", "--out", "/d/PT.txt", "/d/cs.res", "/d/co.res"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("/d/cs.res  661.7  0.25  "), std::string::npos) << run.out;
}

TEST(CliPeakToTotal, RefusesWhatItCannotUse) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/d/cs.res", result_text(5, 100, {peak("661.7", "2500", "-")}));
    fs.add_file("/d/nocounts.res", "[spectrum]\r\nlive_time = 100\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"peak-to-total", "/d/cs.res"}, 2, "usage: sorvanecli peak-to-total"},
        {{"peak-to-total", "--order", "x", "--out", "/d/o", "/d/cs.res"}, 2, "\"--order\""},
        {{"peak-to-total", "--out", "/d/o", "/d/cs.res"}, 1, "two spectra or more"},
        {{"peak-to-total", "--out", "/d/o", "/d/cs.res", "/d/nocounts.res"},
         1,
         "/d/nocounts.res: the result needs its [counts]"},
        {{"peak-to-total", "--out", "/d/o", "/d/cs.res", "/d/missing.res"}, 1, "/d/missing.res: "},
    };
    for (const auto& c : cases) {
        const auto run = run_cli(fs, c.args);
        EXPECT_EQ(run.status, c.status) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_FALSE(fs.contents("/d/o")) << c.says;
    }
}

}  // namespace
}  // namespace sorvane
