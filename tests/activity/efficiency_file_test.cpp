#include "activity/efficiency_file.h"

#include <gtest/gtest.h>

namespace sorvane::activity {
namespace {

EfficiencyCurve small_curve() {
    EfficiencyCurve c;
    c.order = 2;
    c.reference_energy_kev = 400;
    c.coefficients = {-3.0, -0.8, 0.1};
    c.covariance = {4e-4, 1e-5, -1e-4, 1e-5, 4e-5, 0, -1e-4, 0, 4.4e-5};
    c.chi2_reduced = 1.25;
    c.points = 4;
    c.energy_min_kev = 121.7817;
    c.energy_max_kev = 1408.013;
    c.standard = "Eu-152 source 4711";
    c.fitted = {{"Eu-152", 121.7817, 0.0125, 0.0002}};
    return c;
}

TEST(EfficiencyFile, WritesCrLfLinesAndReadsThemBack) {
    const std::string text = render_efficiency_file(small_curve());
    EXPECT_EQ(text.substr(0, 110),
              "[efficiency]\r\n"
              "model = ln(eff) = sum of a_k x^k, x = ln(E / reference_energy_kev)\r\n"
              "reference_energy_kev = 400\r\n");
    EXPECT_NE(text.find("\r\ncoefficients = -3 -0.8 0.1\r\ncovariance = 4e-04 1e-05 -1e-04\r\n"),
              std::string::npos);
    const EfficiencyFileRead read = parse_efficiency_file(text, "eff.txt");
    EXPECT_TRUE(read.problems.empty());
    ASSERT_TRUE(read.curve.has_value());
    EXPECT_EQ(read.curve->coefficients, small_curve().coefficients);
    EXPECT_EQ(read.curve->covariance, small_curve().covariance);
    EXPECT_EQ(read.curve->standard, "Eu-152 source 4711");
    EXPECT_EQ(read.curve->fitted.size(), 1u);
    EXPECT_EQ(read.curve->energy_max_kev, 1408.013);
}

TEST(EfficiencyFile, BadContentNamesTheFileAndLine) {
    struct Case {
        const char* replace;
        const char* with;
        const char* problem;
    };
    const Case cases[] = {
        {"order = 2", "order = 7", "eff.txt line 4: the order must be 2 to 5"},
        {"order = 2", "order = two", "eff.txt line 4: \"two\" is not a number"},
        {"coefficients = -3 -0.8 0.1", "coefficients = -3 -0.8",
         "eff.txt: the coefficients are not 3 numbers"},
        {"covariance = 4e-04 1e-05", "covariance = -4e-04 1e-05",
         "eff.txt: a negative variance in the covariance"},
        {"covariance = 1e-05 4e-05", "covariance = 2e-05 4e-05",
         "eff.txt: the covariance is not symmetric"},
        {"energy_min_kev = 121.7817", "energy_min_kev = -1",
         "eff.txt line 5: the energy must be above 0 keV"},
        {"[efficiency]", "[other]", "eff.txt: not an efficiency file (no [efficiency] line)"},
        {"points = 4", "points", "eff.txt line 7: a line is \"key = value\""},
        {"points = 4", "points = 1e300",
         "eff.txt line 7: the number of points must be a whole number from 0 to 1000000"},
    };
    for (const Case& c : cases) {
        std::string text = render_efficiency_file(small_curve());
        const auto at = text.find(c.replace);
        ASSERT_NE(at, std::string::npos) << c.replace;
        text.replace(at, std::string(c.replace).size(), c.with);
        const EfficiencyFileRead read = parse_efficiency_file(text, "eff.txt");
        EXPECT_FALSE(read.curve.has_value()) << c.with;
        ASSERT_FALSE(read.problems.empty()) << c.with;
        EXPECT_EQ(read.problems.front(), c.problem);
    }
}

}  // namespace
}  // namespace sorvane::activity
