#include "activity/decay.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane::activity {
namespace {

TEST(SecondsOfDate, ReadsOnlyRealDates) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const Case cases[] = {
        {"1970-01-01 00:00:00", 0.0},
        {"2000-01-01 00:00:00", 946684800.0},  // the well-known Unix time of 2000
        {"2024-02-29T12:30:15", 1709209815.0},
        {"2023-02-29 00:00:00", std::nullopt},  // no leap day in 2023
        {"2024-13-01 00:00:00", std::nullopt},
        {"2024-01-01 24:00:00", std::nullopt},
        {"2024-01-01", std::nullopt},
        {"2024/01/01 00:00:00", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(seconds_of_date(c.text), c.seconds) << c.text;
}

// Half-life 10 d +- 0.1 d, start 20 d after the reference, counted 1 d: by hand
// exp(-2 ln 2) = 0.25 and (1 - exp(-x))/x = 0.966130 for x = ln 2 / 10, and
// d ln f / d ln T = 2 ln 2 - x (1/(e^x - 1) - 1/x) = 1.420539.
TEST(DecayCorrection, MatchesAHandComputation) {
    constexpr double day = 86400.0;
    const DecayCorrection decay = decay_correction({10 * day, 0.1 * day, 20 * day, 1 * day});
    EXPECT_NEAR(decay.factor, 0.241532427532543, 1e-12);
    EXPECT_NEAR(decay.relative_uncertainty, 0.01420539, 2e-7);
}

TEST(DecayCorrection, CasesAtItsEdges) {
    struct Case {
        const char* what;
        DecayInput input;
        double factor;
        double relative;
    };
    const Case cases[] = {
        {"stable (no half-life)", {0.0, 0.0, 1e9, 1e5}, 1.0, 0.0},
        {"counted at the reference, short count", {1e9, 1e7, 0.0, 1e-3}, 1.0, 0.0},
        {"one half-life before the reference",
         {100.0, 1.0, -100.0, 0.0},
         2.0,
         0.01 * std::log(2.0)},
    };
    for (const Case& c : cases) {
        const DecayCorrection decay = decay_correction(c.input);
        EXPECT_NEAR(decay.factor, c.factor, 1e-9) << c.what;
        EXPECT_NEAR(decay.relative_uncertainty, c.relative, 1e-9) << c.what;
    }
}

}  // namespace
}  // namespace sorvane::activity
