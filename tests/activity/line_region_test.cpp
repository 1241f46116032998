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
        if (c.d_background >= 0) {
            EXPECT_NEAR(r.d_background, c.d_background, 1e-9) << c.what;
        }
    }
}

// Flat 10 counts a channel and another line's peak of 1000 counts (d_area 30, FWHM 4,
// sigma 1.698643) added at `centroid`. Taken out as a neighbour, the sides see the
// flat continuum again; the peak's share of the region 94..106 (93.5..106.5), Phi of
// (106.5 - c) / sigma, is background with its variance and 2 % of it for the shape.
// At 110 the share is Phi(-2.06047) = 0.0196769: gross = background = 130 + 19.676933
// and u^2(n_0) = 10 169 / 24 + 0.0196769^2 (30^2 + 20^2) = 8.421401^2. At 120 the peak fills the
// high side and nothing of it reaches the region: 130, 130 and u = sqrt(10 169 / 24).
TEST(LineRegion, OtherLinesPeaksTakenOut) {
    struct Case {
        const char* what;
        double centroid;
        double gross, background, d_background;
    };
    const Case cases[] = {
        {"a neighbour in the region's flank", 110.0, 149.676933, 149.676933, 8.421401},
        {"a neighbour on the high side", 120.0, 130.0, 130.0, 8.391464},
    };
    constexpr double sigma = 4.0 / 2.3548200450309493;
    for (const Case& c : cases) {
        auto counts = straight(10, 0);
        for (int ch = 0; ch < 200; ++ch)
            counts[static_cast<std::size_t>(ch)] +=
                500.0 * (std::erfc(-(ch + 0.5 - c.centroid) / sigma / std::sqrt(2.0)) -
                         std::erfc(-(ch - 0.5 - c.centroid) / sigma / std::sqrt(2.0)));
        const NeighbourPeak neighbours[] = {{c.centroid, 1000.0, 30.0, 4.0, 0.0}};
        const RegionCounts r =
            region_counts_beside(counts, 100.0, 4.0, 0, 199, std::span<const double>{}, neighbours);
        ASSERT_TRUE(r.ok) << c.what;
        EXPECT_NEAR(r.gross, c.gross, 1e-5) << c.what;
        EXPECT_NEAR(r.background, c.background, 1e-5) << c.what;
        EXPECT_NEAR(r.d_background, c.d_background, 1e-5) << c.what;
        // Left in, the same peak lifts the continuum of the sides above the flat 130.
        const RegionCounts kept = region_counts(counts, 100.0, 4.0, 0, 199, {});
        EXPECT_GT(kept.background - 130.0, 1.0) << c.what;
    }
}

}  // namespace
}  // namespace sorvane::activity
