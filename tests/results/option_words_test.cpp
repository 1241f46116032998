#include "results/option_words.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// The codes as the window's captions say them; an unknown code or key stays as is.
TEST(OptionWords, EachCodeGetsTheWindowsWords) {
    struct Case {
        const char* key;
        const char* value;
        const char* line;
    };
    const Case cases[] = {
        {"pk_search", "0", "PK search: Auto (pk_search = 0)"},
        {"pk_search", "1", "PK search: Manual (pk_search = 1)"},
        {"smoothing", "1", "Smoothing: 7 ch (smoothing = 1)"},
        {"pk_shape", "2", "PK shape: Gauss (pk_shape = 2)"},
        {"pk_shape", "1", "pk_shape = 1"},  // no button has this code
        {"fitted_data_plot", "1", "Fitted data plot: simple plot (fitted_data_plot = 1)"},
        {"raw_data", "1", "Raw Data: none (raw_data = 1)"},
        {"raw_data", "4", "Raw Data: make csv file (no area cal) (raw_data = 4)"},
        {"energy_calib", "0", "Energy Calib.: Manual setting (energy_calib = 0)"},
        {"cal_area", "1", "Cal area: All CH (cal_area = 1)"},
        {"pkf_sens", "6", "pkf_sens = 6"},
    };
    for (const Case& c : cases) {
        const auto lines = options_in_words({{c.key, c.value}});
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.line) << c.key << " " << c.value;
    }
}

}  // namespace
}  // namespace sorvane
