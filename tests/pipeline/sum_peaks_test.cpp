#include "pipeline/sum_peaks.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// Co-60 with its two lines found at peaks 0 and 1 (1173.2 and 1332.5 keV).
const nuclides::GammaLine co60_lines[] = {{"Co-60", 1173.228, 0.003, 99.85, 0.03, ""},
                                          {"Co-60", 1332.492, 0.004, 99.98, 0.0, ""}};
nuclides::NuclideOutcome co60_found(bool identified = true) {
    nuclides::NuclideOutcome co60;
    co60.name = "Co-60";
    co60.identified = identified;
    co60.lines = {{&co60_lines[0], 0, 1173.2, 0.0, nuclides::LineStatus::found, false},
                  {&co60_lines[1], 1, 1332.5, 0.0, nuclides::LineStatus::found, false}};
    return co60;
}

// Co-60 found with 10,000 and 9,000 counts in lines that give 0.01 and 0.009 counts
// per decay: 1e6 decays seen, so its 2505.7 keV sum peak of 1e-4 per decay should
// hold 100 counts. A peak is that sum peak when it lies within half a FWHM (or two
// standard deviations of its energy) and its area within three standard deviations
// of 100, the prediction taken as 25 counts uncertain beside the peak's own.
TEST(SumPeaks, AnUnexplainedPeakAtASumEnergyWithThePredictedCountsIsTheCascades) {
    const CascadePeaks cascade{"Co-60",
                               {{1173.2, 0.01, ""}, {1332.5, 0.009, ""}},
                               {{2505.7, 1e-4, "1173.2 + 1332.5"}},
                               {}};
    struct Case {
        const char* what;
        double energy, area, d_area;
        bool identified;
        const char* owner_before;
        const char* owner_after;
        int other_found_lines = 0;  // of the owner before, beside its line at this peak
    };
    const Case cases[] = {
        {"predicted counts", 2505.9, 110.0, 12.0, true, "", "sum:Co-60"},
        {"within 3 sigma", 2505.7, 180.0, 14.0, true, "", "sum:Co-60"},
        {"three times too many", 2505.7, 300.0, 18.0, true, "", ""},
        {"beside the sum energy", 2512.0, 100.0, 12.0, true, "", ""},
        {"another nuclide's line, seen elsewhere too", 2505.7, 100.0, 12.0, true, "Xx-1", "Xx-1",
         1},
        {"another nuclide seen only there", 2505.7, 100.0, 12.0, true, "Xx-1", "sum:Co-60", 0},
        {"another nuclide seen only there, too many counts", 2505.7, 300.0, 18.0, true, "Xx-1",
         "Xx-1", 0},
        {"Co-60 not identified", 2505.7, 100.0, 12.0, false, "", ""},
    };
    for (const Case& c : cases) {
        const std::vector<nuclides::PeakForMatch> peaks = {{1173.2, 0.05, 10000.0, 110.0, 2.0},
                                                           {1332.5, 0.05, 9000.0, 100.0, 2.1},
                                                           {c.energy, 0.1, c.area, c.d_area, 2.6}};
        nuclides::Identification identification;
        const nuclides::NuclideOutcome co60 = co60_found(c.identified);
        // Xx-1's line at the peak, and its other found line (peak 3, not in the list:
        // only whether it is found elsewhere matters).
        const nuclides::GammaLine xx_lines[] = {{"Xx-1", 2505.8, 0.01, 50.0, 1.0, ""},
                                                {"Xx-1", 800.0, 0.01, 50.0, 1.0, ""}};
        nuclides::NuclideOutcome xx;
        xx.name = "Xx-1";
        xx.identified = true;
        xx.lines = {{&xx_lines[0], 2, 2505.7, 0.0, nuclides::LineStatus::found, false}};
        xx.peaks = {2};
        if (c.other_found_lines > 0) {
            xx.lines.push_back({&xx_lines[1], 3, 800.0, 0.0, nuclides::LineStatus::found, false});
            xx.peaks.push_back(3);
        }
        xx.found = static_cast<int>(xx.lines.size());
        identification.nuclides = {co60, xx};
        identification.peak_nuclide = {"Co-60", "Co-60", c.owner_before};
        const SumPeakClaims claims = claim_sum_peaks({&cascade, 1}, peaks, identification);
        const bool claimed = std::string(c.owner_after) == "sum:Co-60";
        EXPECT_EQ(identification.peak_nuclide[2], c.owner_after) << c.what;
        ASSERT_EQ(claims.peaks.size(), claimed ? 1u : 0u) << c.what;
        EXPECT_EQ(claims.messages.size(), claims.peaks.size()) << c.what;
        if (claimed) {  // 1e6 decays of 1e-4 a decay, 25 % uncertain
            EXPECT_EQ(claims.peaks[0].peak, 2);
            EXPECT_NEAR(claims.peaks[0].expected, 100.0, 1e-9);
            EXPECT_NEAR(claims.peaks[0].d_expected, 25.0, 1e-9);
        }
        // Xx-1 keeps its identification unless the sum peak took its one line.
        const bool taken = claimed && std::string(c.owner_before) == "Xx-1";
        EXPECT_EQ(identification.nuclides[1].identified, !taken) << c.what;
        EXPECT_EQ(identification.nuclides[1].lines[0].peak, taken ? -1 : 2) << c.what;
        if (taken) {
            EXPECT_NE(claims.messages[0].find("Xx-1, seen only there, is not identified"),
                      std::string::npos)
                << claims.messages[0];
        }
        EXPECT_EQ(identification.peak_nuclide[0], "Co-60") << c.what;
    }
}

// Sums a peak cannot resolve add up: Co-60's 1e6 decays seen, four invented sums of
// 25 counts each within a FWHM (2.6 keV) of a 100-count peak are that peak; one
// alone (25 against 100 +- 5, the prediction 25 % uncertain) is not. A sum nearer to
// another peak goes to that one: with a peak at 2000.5 keV, 2000.3 and 2000.9 keV go
// there, and 50 counts (3.7 standard deviations off) do not make the first a sum peak.
// Two peaks within a FWHM are judged together when either is off alone: 95 and 5
// counts against 50 each (3.3 and 3.3 sigma) are the 100 the four sums give.
TEST(SumPeaks, SumsAPeakCannotResolveAddUp) {
    struct Case {
        const char* what;
        std::vector<double> sums_kev;  // each 2.5e-5 per decay
        std::vector<double> peaks_kev;
        const char* owner;               // of the peak at 2000 keV
        std::vector<double> areas = {};  // of the peaks, each +- 5; none given: 100
    };
    const Case cases[] = {
        {"four within a FWHM", {1999.2, 1999.7, 2000.3, 2000.9}, {2000.0}, "sum:Co-60"},
        {"one alone", {2000.1}, {2000.0}, ""},
        {"two of them nearer another peak", {1999.2, 1999.7, 2000.3, 2000.9}, {2000.0, 2000.5}, ""},
        {"one lump split in two",
         {1999.2, 1999.7, 2000.3, 2000.9},
         {2000.0, 2000.5},
         "sum:Co-60",
         {95.0, 5.0}},
    };
    for (const Case& c : cases) {
        CascadePeaks cascade{"Co-60", {{1173.2, 0.01, ""}, {1332.5, 0.009, ""}}, {}, {}};
        for (double e : c.sums_kev) cascade.sums.push_back({e, 2.5e-5, "invented"});
        std::vector<nuclides::PeakForMatch> peaks = {{1173.2, 0.05, 10000.0, 110.0, 2.0},
                                                     {1332.5, 0.05, 9000.0, 100.0, 2.1}};
        for (std::size_t i = 0; i < c.peaks_kev.size(); ++i)
            peaks.push_back({c.peaks_kev[i], 0.1, c.areas.empty() ? 100.0 : c.areas[i], 5.0, 2.6});
        nuclides::Identification identification;
        identification.nuclides = {co60_found()};
        identification.peak_nuclide = {"Co-60", "Co-60"};
        claim_sum_peaks({&cascade, 1}, peaks, identification);
        EXPECT_EQ(identification.peak_nuclide[2], c.owner) << c.what;
    }
}

// A nuclide whose found lines all sit at sum peaks gives them all up and is not
// identified; one of its lines elsewhere keeps it. Co-60's 1e6 decays give 100 counts
// at each of two invented sums, 2200 and 2505.7 keV, and an invented K X-ray of 0.05
// per decay 50,000 counts at 40 keV; Xx-2's two lines are at the sums, a third (when
// the case has one) at 800 keV or at the X-ray, whose peak the X-rays hold when they
// predict at least a third of it (the curve is carried below its lowest point there).
TEST(SumPeaks, ANuclideSeenOnlyAtSumPeaksIsNotIdentified) {
    const nuclides::GammaLine xx_lines[] = {{"Xx-2", 2200.0, 0.01, 50.0, 1.0, ""},
                                            {"Xx-2", 2505.8, 0.01, 50.0, 1.0, ""},
                                            {"Xx-2", 0.0, 0.01, 50.0, 1.0, ""}};
    const CascadePeaks cascade{"Co-60",
                               {{1173.2, 0.01, ""}, {1332.5, 0.009, ""}},
                               {{2200.0, 1e-4, "invented"}, {2505.7, 1e-4, "1173.2 + 1332.5"}},
                               {{40.0, 0.05, ""}}};
    struct Case {
        const char* what;
        double third_kev;  // 0: no third line
        double third_area;
        bool kept;
        const char* message;
    };
    const Case cases[] = {
        {"only at the sums", 0.0, 0.0, false, "Xx-2, seen only at its sum peaks, is not"},
        {"a line elsewhere", 800.0, 500.0, true, ""},
        {"a line at the X-rays they hold", 40.0, 140000.0, false,
         "Xx-2, seen only at its sum peaks and K X-rays, is not"},
        {"a line at a peak too big for the X-rays", 40.0, 160000.0, true, ""},
    };
    for (const Case& c : cases) {
        std::vector<nuclides::PeakForMatch> peaks = {{1173.2, 0.05, 10000.0, 110.0, 2.0},
                                                     {1332.5, 0.05, 9000.0, 100.0, 2.1},
                                                     {2200.0, 0.1, 100.0, 12.0, 2.5},
                                                     {2505.7, 0.1, 100.0, 12.0, 2.6}};
        nuclides::NuclideOutcome xx;
        xx.name = "Xx-2";
        xx.identified = true;
        xx.lines = {{&xx_lines[0], 2, 2200.0, 0.0, nuclides::LineStatus::found, false},
                    {&xx_lines[1], 3, 2505.7, 0.0, nuclides::LineStatus::found, false}};
        xx.peaks = {2, 3};
        nuclides::Identification identification;
        identification.peak_nuclide = {"Co-60", "Co-60", "Xx-2", "Xx-2"};
        if (c.third_kev > 0.0) {
            peaks.push_back({c.third_kev, 0.1, c.third_area, 1000.0, 1.0});
            xx.lines.push_back(
                {&xx_lines[2], 4, c.third_kev, 0.0, nuclides::LineStatus::found, false});
            xx.peaks.push_back(4);
            identification.peak_nuclide.push_back("Xx-2");
        }
        identification.nuclides = {co60_found(), xx};
        const SumPeakClaims claims = claim_sum_peaks({&cascade, 1}, peaks, identification);
        const std::string owner = c.kept ? "Xx-2" : "sum:Co-60";
        EXPECT_EQ(identification.peak_nuclide[2], owner) << c.what;
        EXPECT_EQ(identification.peak_nuclide[3], owner) << c.what;
        if (c.third_kev > 0.0) {
            EXPECT_EQ(identification.peak_nuclide[4], c.kept ? "Xx-2" : "") << c.what;
        }
        EXPECT_EQ(identification.nuclides[1].identified, c.kept) << c.what;
        ASSERT_EQ(claims.peaks.size(), c.kept ? 0u : 2u) << c.what;
        if (!c.kept) {
            EXPECT_NE(claims.messages[0].find(c.message), std::string::npos) << claims.messages[0];
        }
    }
}

}  // namespace
}  // namespace sorvane
