#include "results/standard_calibration.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane {
namespace {

// A Co-60 and Cs-137 standard counted a year (365 days) after its certificate:
// two Co-60 lines found, the Cs-137 line shared with another nuclide.
const char* const standard =
    "[spectrum]\r\nstart = 2026-01-01 00:00:00\r\nlive_time = 3000\r\nreal_time = 3600\r\n"
    "[peaks]\r\nno energy area d_area\r\n1 1173.2 20000 150\r\n2 1332.5 18000 140\r\n"
    "3 661.7 9000 100\r\n"
    "[nuclide lines]\r\nnuclide energy probability peak recalibrated_energy difference status\r\n"
    "Co-60 1173.228 99.85 1 1173.2 0.0 found\r\n"
    "Co-60 1332.492 99.9826 2 1332.5 0.0 found\r\n"
    "Cs-137 661.6553 85.01 3 661.7 0.0 shared\r\n"
    "Am-241 59.5409 35.92 - - - missing\r\n";

nuclides::LineLibrary library() {
    nuclides::LineLibrary lib;
    lib.lines = {{"Cs-137", 661.6553, 0.003, 85.01, 0.20, ""},
                 {"Co-60", 1173.228, 0.003, 99.85, 0.03, ""},
                 {"Co-60", 1332.492, 0.004, 99.9826, 0.0006, ""}};
    lib.nuclides = {{"Co-60", 5.2711, "y", 0.0008, "", "", "", 1.0},
                    {"Cs-137", 30.018, "y", 0.022, "", "", "", 1.0}};
    return lib;
}

TEST(StandardPoints, EfficiencyOfEachFoundLineByHand) {
    const std::vector<Certificate> certificates = {{"Co-60", 1000.0, 15.0, "2025-01-01 00:00:00"},
                                                   {"Cs-137", 500.0, 5.0, "2025-01-01 00:00:00"}};
    const StandardPoints out = standard_points(read_result(standard), library(), certificates);
    ASSERT_EQ(out.points.size(), 2u);
    ASSERT_EQ(out.notes.size(), 1u);
    EXPECT_EQ(out.notes[0], "Cs-137 661.7 keV: left out, its peak is shared with another nuclide");

    // lambda from the half-life; decay over the year, then over the 3600 s count.
    const double lambda = std::log(2.0) / (5.2711 * 365.2422 * 86400.0);
    const double factor = std::exp(-lambda * 365.0 * 86400.0) * (1.0 - std::exp(-lambda * 3600.0)) /
                          (lambda * 3600.0);
    struct Row {
        double energy, area, d_area, probability, d_probability;
    };
    const Row rows[] = {{1173.228, 20000, 150, 0.9985, 0.0003},
                        {1332.492, 18000, 140, 0.999826, 0.000006}};
    for (std::size_t i = 0; i < 2; ++i) {
        const Row& r = rows[i];
        const double efficiency = r.area / (1000.0 * factor * r.probability * 3000.0);
        // The half-life's share: d(factor)/factor = lambda t dT/T at first order.
        const double half_life_share = lambda * 365.0 * 86400.0 * 0.0008 / 5.2711;
        const double relative =
            std::sqrt(std::pow(r.d_area / r.area, 2) + std::pow(0.015, 2) +
                      std::pow(r.d_probability / r.probability, 2) + std::pow(half_life_share, 2));
        EXPECT_EQ(out.points[i].nuclide, "Co-60");
        EXPECT_DOUBLE_EQ(out.points[i].energy_kev, r.energy);
        EXPECT_NEAR(out.points[i].efficiency, efficiency, efficiency * 1e-9);
        EXPECT_NEAR(out.points[i].d_efficiency, efficiency * relative,
                    efficiency * relative * 1e-4);
    }
}

// A point source certified per line (photons per second at a rounded energy, as the
// QCD1 certificate gives them): the rate replaces activity times emission probability,
// and a line without a rate of its own is named.
TEST(StandardPoints, ACertifiedPhotonRateBelongsToItsLineOnly) {
    struct Case {
        double certified_kev;
        std::size_t points;
        const char* note;
    };
    const Case cases[] = {
        {1173.0, 1, "Co-60 1332.5 keV: left out, the certificate gives no rate of it"},
        {1174.0, 1, "Co-60 1332.5 keV: left out, the certificate gives no rate of it"},
        {1174.5, 0, "Co-60 1173.2 keV: left out, the certificate gives no rate of it"},
    };
    for (const Case& c : cases) {
        const StandardPoints out =
            standard_points(read_result(standard), library(),
                            {{"Co-60", 997.0, 10.0, "2025-01-01 00:00:00", c.certified_kev}});
        ASSERT_EQ(out.points.size(), c.points) << c.certified_kev;
        ASSERT_FALSE(out.notes.empty());
        EXPECT_EQ(out.notes[0], c.note);
        if (!c.points) continue;
        const double lambda = std::log(2.0) / (5.2711 * 365.2422 * 86400.0);
        const double factor = std::exp(-lambda * 365.0 * 86400.0) *
                              (1.0 - std::exp(-lambda * 3600.0)) / (lambda * 3600.0);
        const double efficiency = 20000.0 / (997.0 * factor * 3000.0);
        const double half_life_share = lambda * 365.0 * 86400.0 * 0.0008 / 5.2711;
        const double relative = std::sqrt(std::pow(150.0 / 20000.0, 2) + std::pow(10.0 / 997.0, 2) +
                                          std::pow(half_life_share, 2));
        EXPECT_DOUBLE_EQ(out.points[0].energy_kev, 1173.228);
        EXPECT_NEAR(out.points[0].efficiency, efficiency, efficiency * 1e-9);
        EXPECT_NEAR(out.points[0].d_efficiency, efficiency * relative,
                    efficiency * relative * 1e-4);
    }
}

// A standard analysed with a background: the counts the runtime took off each peak
// (the columns at the end of [peaks]) are not the standard's.
TEST(StandardPoints, TheBackgroundTakenOffIsNotTheStandards) {
    std::string with_background = standard;
    const std::pair<const char*, const char*> rows[] = {
        {"no energy area d_area\r\n",
         "no energy area d_area background_counts d_background_counts\r\n"},
        {"1 1173.2 20000 150\r\n", "1 1173.2 20000 150 2000 40\r\n"},
        {"2 1332.5 18000 140\r\n", "2 1332.5 18000 140 - -\r\n"},
        {"3 661.7 9000 100\r\n", "3 661.7 9000 100 - -\r\n"},
    };
    for (const auto& [from, to] : rows)
        with_background.replace(with_background.find(from), std::string(from).size(), to);
    const std::vector<Certificate> certificates = {{"Co-60", 1000.0, 15.0, "2025-01-01 00:00:00"}};
    const StandardPoints plain = standard_points(read_result(standard), library(), certificates);
    const StandardPoints net =
        standard_points(read_result(with_background), library(), certificates);
    ASSERT_EQ(plain.points.size(), 2u);
    ASSERT_EQ(net.points.size(), 2u);
    // 18000 of 20000 counts are the standard's; the second line had nothing taken off.
    EXPECT_NEAR(net.points[0].efficiency, plain.points[0].efficiency * 0.9, 1e-15);
    EXPECT_DOUBLE_EQ(net.points[1].efficiency, plain.points[1].efficiency);
    // The counting part grows from 150/20000 to hypot(150, 40)/18000.
    const double shared = std::pow(plain.points[0].d_efficiency / plain.points[0].efficiency, 2) -
                          std::pow(150.0 / 20000.0, 2);
    EXPECT_NEAR(net.points[0].d_efficiency / net.points[0].efficiency,
                std::sqrt(shared + std::pow(std::hypot(150.0, 40.0) / 18000.0, 2)), 1e-9);
}

// Lines that cannot make a point are named, never used with a guess.
TEST(StandardPoints, LinesWithoutWhatTheyNeedAreLeftOutWithTheReason) {
    struct Case {
        const char* date;
        const char* note;
    };
    const Case cases[] = {
        {"01.01.2025",
         "Co-60 1173.2 keV: left out, the certificate date is not YYYY-MM-DD HH:MM:SS"},
        {"", "Co-60 1173.2 keV: left out, the certificate date is not YYYY-MM-DD HH:MM:SS"},
    };
    for (const Case& c : cases) {
        const StandardPoints out =
            standard_points(read_result(standard), library(), {{"Co-60", 1000.0, 15.0, c.date}});
        EXPECT_TRUE(out.points.empty()) << c.date;
        ASSERT_FALSE(out.notes.empty()) << c.date;
        EXPECT_EQ(out.notes[0], c.note);
    }
    EXPECT_TRUE(standard_points(read_result(standard), library(), {}).points.empty())
        << "a nuclide without certificate is no point";
}

}  // namespace
}  // namespace sorvane
