#include "results/opened_result.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// The view's first line says what matters most about a result: for one the
// runtime wrote because the spectrum could not be read, the reason it gave.
TEST(OpenedResult, FirstNoteNamesWhatIsWrong) {
    struct Case {
        const char* what;
        std::string text;
        std::string first_note;  // empty: no note at all
    };
    const std::string peaks_header =
        "[peaks]\r\nno channel d_channel energy d_energy fwhm_ch fwhm_kev area d_area d_area_pct "
        "background cps d_cps chi2r flags\r\n";
    const Case cases[] = {
        {"truncated CHN",
         "[spectrum]\r\ninput = /r/cut.chn\r\nlive_time = 0\r\nchannels = 0\r\nanalysed_range = "
         "-\r\n" +
             peaks_header + "[messages]\r\n/r/cut.chn: the file ends inside its header\r\n",
         "The spectrum could not be analysed: /r/cut.chn: the file ends inside its header"},
        {"no reason given",
         "[spectrum]\r\ninput = /r/x.chn\r\nanalysed_range = -\r\n" + peaks_header +
             "[messages]\r\n",
         "The spectrum could not be analysed: the runtime gave no reason"},
        {"earlier version",
         "[spectrum]\r\ninput = /r/a.chn\r\nlive_time = 1800\r\n" + peaks_header +
             "1 347.4 0.005 121.78 0.002 2.8 0.98 60282 263 0.43 1357 33.4 0.14 1.1 T\r\n"
             "[messages]\r\n",
         "The spectrum's counts are not in this result (it was written by an earlier version): "
         "the plot cannot be shown; the tables can."},
    };
    for (const Case& c : cases) {
        const OpenedResult opened = opened_from_text("/r/x.res", c.text);
        ASSERT_FALSE(opened.notes.empty()) << c.what;
        EXPECT_EQ(opened.notes.front(), c.first_note) << c.what;
    }
}

}  // namespace
}  // namespace sorvane
