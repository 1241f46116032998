#include "activity/line_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace sorvane::activity {
namespace {

// Counts a + b (ch - 100) over 200 channels; FWHM 4, so the region is +-6 channels
// and each side 12 channels.
std::vector<double> straight(double a, double b) {
    std::vector<double> counts(200);
    for (int ch = 0; ch < 200; ++ch) counts[static_cast<std::size_t>(ch)] = a + b * (ch - 100);
    return counts;
}

TEST(LineRegion, GrossAndContinuumByHand) {
    struct Case {
        const char* what;
        double a, b, channel;
        int first;
        std::vector<double> peaks;
        double gross, background, d_background;
        bool ok;
    };
    const Case cases[] = {
        // 94..106: 13 channels of 10; sides 82..93 and 107..118, symmetric, so
        // u^2(n_0) = level W^2 / n = 10 169 / 24.
        {"flat", 10, 0, 100, 0, {}, 130, 130, std::sqrt(10.0 * 169.0 / 24.0), true},
        // 95..106 at 100.3: 12 channels, sum 120 + 0.5 (-5 + ... + 6) = 123; another
        // peak at 112 takes 107..117 from the high side, and the straight line through
        // the rest still gives 123 (a flat mean of the sides would give 64.6).
        {"sloping, one side mostly taken by another peak",
         10,
         0.5,
         100.3,
         0,
         {112.0},
         123,
         123,
         -1,
         true},
        // The low side lies before the first channel: the high side's level, held flat:
        // 13 10, u = 13 sqrt(120) / 12.
        {"one side only", 10, 0, 100, 94, {}, 130, 130, 13.0 * std::sqrt(120.0) / 12.0, true},
        {"region beyond the first channel", 10, 0, 3, 0, {}, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        const auto counts = straight(c.a, c.b);
        const RegionCounts r = region_counts(counts, c.channel, 4.0, c.first, 199, c.peaks);
        EXPECT_EQ(r.ok, c.ok) << c.what;
        if (!c.ok) continue;
        EXPECT_NEAR(r.gross, c.gross, 1e-9) << c.what;
        EXPECT_NEAR(r.background, c.background, 1e-9) << c.what;
        if (c.d_background >= 0) EXPECT_NEAR(r.d_background, c.d_background, 1e-9) << c.what;
    }
}

}  // namespace
}  // namespace sorvane::activity
