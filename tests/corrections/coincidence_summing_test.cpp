#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "corrections/cascade_data.h"
#include "corrections/cascade_files.h"
#include "corrections/coincidence_summing.h"
#include "platform/real_platform.h"

namespace sorvane::corrections {
namespace {

const std::string header =
    "nuclide,kind,from_level_keV,to_level_keV,energy_keV,probability_percent,alpha_T,"
    "alpha_K,quantity\n";

Cascade cascade_of(const std::string& rows) {
    CascadeLibrary library;
    add_cascades(library, header + rows, "test.csv");
    EXPECT_TRUE(library.problems.empty()) << library.problems.front();
    return library.cascades.at(0);
}

DetectorEfficiencies flat(double peak, double total) {
    return {[peak](double) { return peak; }, [total](double) { return total; }, 0.0, 0.0};
}

// Level 2500 keV fed in every decay, 1300 keV to level 1200, then 1200 keV to ground.
const std::string two_step =
    "T,level,2500,,2500,100,,,feeding\n"
    "T,gamma,2500,1200,1300,100,,,gamma\n"
    "T,gamma,1200,0,1200,100,,,gamma\n";

struct FactorCase {
    const char* what;
    std::string rows;
    double energy_kev;
    double expected;  // worked by hand with peak 0.1, total 0.3 at every energy
};

// Hand values: summing-out leaves the counts (1 - 0.3) of each line of a two-step
// cascade; a crossover of 10 % gains 0.9 * 0.1 * 0.1 from the pair (factor 1 + 9 * 0.1);
// conversion (alpha_T 1, alpha_K 0.8, omega_K 0.5) makes the 1200 keV step quiet with
// 1 - 0.5 * 0.3 - 0.4 * 0.5 * 0.3 = 0.79; K capture (P_K 0.8) of the feeding leaves
// 1 - 0.8 * 0.5 * 0.3 = 0.88 quiet; a positron's two back-to-back photons 1 - 2 * 0.3.
TEST(CoincidenceSumming, FactorsOfSmallCascadesByHand) {
    const FactorCase cases[] = {
        {"two-step, upper", two_step, 1300, 0.7},
        {"two-step, lower", two_step, 1200, 0.7},
        {"crossover line gains",
         "T,level,2500,,2500,100,,,feeding\nT,gamma,2500,1200,1300,90,,,gamma\n"
         "T,gamma,2500,0,2500,10,,,gamma\nT,gamma,1200,0,1200,90,,,gamma\n",
         2500, 1.9},
        {"crossover, lower line",
         "T,level,2500,,2500,100,,,feeding\nT,gamma,2500,1200,1300,90,,,gamma\n"
         "T,gamma,2500,0,2500,10,,,gamma\nT,gamma,1200,0,1200,90,,,gamma\n",
         1200, 0.7},
        {"conversion below",
         "T,level,2500,,2500,100,,,feeding\nT,gamma,2500,1200,1300,100,,,gamma\n"
         "T,gamma,1200,0,1200,50,1,0.8,gamma\nT,xray,,,40,10,,,K X-ray\n"
         "T,xray,,,,50,,,omega_K\n",
         1300, 0.79},
        {"K capture above",
         "T,level,2500,,2500,100,,,feeding\nT,branch,2500,,,100,,,EC feeding of level\n"
         "T,branch,2500,,,80,,,P_K: K-shell fraction\n" +
             two_step.substr(two_step.find("T,gamma")) +
             "T,xray,,,40,10,,,K X-ray\nT,xray,,,,50,,,omega_K\n",
         1300, 0.88 * 0.7},
        {"positron above",
         "T,level,2500,,2500,100,,,feeding\nT,branch,2500,,,100,,,B+ (positron) feeding\n" +
             two_step.substr(two_step.find("T,gamma")),
         1300, 0.4 * 0.7},
        {"single line has none",
         "T,level,662,,662,100,,,feeding\nT,gamma,662,0,661.7,100,,,gamma\n", 661.7, 1.0},
    };
    for (const auto& c : cases) {
        const auto factors = summing_factors(cascade_of(c.rows), flat(0.1, 0.3));
        const auto* line = factor_near(factors, c.energy_kev, 0.5);
        ASSERT_NE(line, nullptr) << c.what;
        EXPECT_NEAR(line->factor, c.expected, 1e-12) << c.what;
    }
}

// A rod on the axis (0.01 cm across, 4 cm high, no attenuation) 1 cm above a disk 6 cm
// across: a point at height h above the disk sees w(h) = 1 - h / sqrt(h^2 + 9) (the
// on-axis disk), so by hand with the integrals of w and w^2 over h from 1 to 5,
//   int w = 4 - sqrt(34) + sqrt(10) = 1.331326,
//   int w^2 = [2h - 2 sqrt(h^2 + 9) - 3 atan(h / 3)] = 0.536773,
// K = <w^2> / <w>^2 = 4 * 0.536773 / 1.331326^2 = 1.211384. With peak 0.1 and total 0.3
// everywhere on average, a two-step line keeps 1 - 0.3 K = 0.636585 (0.7 with the mean
// efficiencies), the crossover 1 + 0.9 K = 2.090245 (0.01 + 0.009 K over 0.01), the sum
// peak 0.1 * 0.1 * K = 0.0121138 per decay. Far below (100 m) K is 1. The midpoint sums
// (12 heights, 6 disk radii) put K 0.1 % high, within the tolerances.
TEST(CoincidenceSumming, VolumeAveragedFactorsByHand) {
    const Container rod{Container::Kind::cylinder, 0.01, 4.0};
    const auto no_matter = [](double) { return 0.0; };
    const SampleCells near(rod, {6.0, 1.0}, no_matter);
    const SampleCells far(rod, {6.0, 10000.0}, no_matter);
    const std::string crossover =
        "T,level,2500,,2500,100,,,feeding\nT,gamma,2500,1200,1300,90,,,gamma\n"
        "T,gamma,2500,0,2500,10,,,gamma\nT,gamma,1200,0,1200,90,,,gamma\n";
    struct Case {
        const char* what;
        const SampleCells* sample;
        std::string rows;
        double energy_kev;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"two-step, upper", &near, two_step, 1300, 0.636585, 1e-3},
        {"two-step, lower", &near, two_step, 1200, 0.636585, 1e-3},
        {"crossover gains", &near, crossover, 2500, 2.090245, 2e-3},
        {"crossover, lower line", &near, crossover, 1200, 0.636585, 1e-3},
        {"far below", &far, two_step, 1300, 0.7, 1e-4},
    };
    for (const auto& c : cases) {
        const auto factors = summing_factors(cascade_of(c.rows), flat(0.1, 0.3), *c.sample);
        const auto* line = factor_near(factors, c.energy_kev, 0.5);
        ASSERT_NE(line, nullptr) << c.what;
        EXPECT_NEAR(line->factor, c.expected, c.tolerance) << c.what;
    }
    const auto peaks = sum_peaks(cascade_of(two_step), flat(0.1, 0.3), 1e-4, near);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].energy_kev, 2500.0, 0.01);
    EXPECT_NEAR(peaks[0].counts_per_decay, 0.0121138, 2e-5);
    // a Marinelli beaker's cells are not used: the mean efficiencies' 0.7
    const SampleCells beaker({Container::Kind::marinelli, 10.0, 8.0, 7.0, 6.0}, {5.0, 1.0},
                             no_matter);
    const auto factors = summing_factors(cascade_of(two_step), flat(0.1, 0.3), beaker);
    ASSERT_NE(factor_near(factors, 1300, 0.5), nullptr);
    EXPECT_DOUBLE_EQ(factor_near(factors, 1300, 0.5)->factor, 0.7);
}

Cascade shipped(const char* nuclide) {
    RealFileSystem fs;
    const auto library = load_cascades(fs, {std::string(SORVANE_NUCLIDE_DATA) + "cascades.csv"});
    const Cascade* cascade = library.find(nuclide);
    EXPECT_NE(cascade, nullptr) << nuclide;
    return cascade ? *cascade : Cascade{};
}

// Co-60 with the DDEP cascade: each main line loses the counts the other line's
// photon takes, 1 - eps_t(other), up to the 0.12 % direct feeding of 1332.5 keV and
// the weak 347/826 keV branches (1e-4 here). Efficiencies fall as E^-1 (peak 0.04,
// total 0.2 at 1000 keV); 10 % relative on the total gives 0.1 eps_t(other).
TEST(CoincidenceSumming, Co60LosesTheOtherLinesTotalEfficiency) {
    DetectorEfficiencies detector{[](double e) { return 0.04 * 1000.0 / e; },
                                  [](double e) { return 0.2 * 1000.0 / e; }, 0.0, 0.10};
    const auto factors = summing_factors(shipped("Co-60"), detector);
    const double total_1173 = 0.2 * 1000.0 / 1173.228, total_1332 = 0.2 * 1000.0 / 1332.492;
    const auto* upper = factor_near(factors, 1173.228, 0.1);
    const auto* lower = factor_near(factors, 1332.492, 0.1);
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_NEAR(upper->factor, 1.0 - total_1332, 1e-4);
    EXPECT_NEAR(lower->factor, 1.0 - 0.9988 * total_1173, 1e-4);
    EXPECT_NEAR(upper->d_factor, 0.1 * total_1332, 1e-4);
}

// Na-22: the positron's annihilation photon and the 1274.537 keV gamma sum to a peak
// at 1785.54 keV with 0.903 * 2 * 0.05 * 0.05 counts per decay (peak 0.05 everywhere).
TEST(CoincidenceSumming, Na22AnnihilationSumPeak) {
    const auto peaks = sum_peaks(shipped("Na-22"), flat(0.05, 0.2), 1e-4);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].energy_kev, 510.99895 + 1274.537, 0.005);
    EXPECT_NEAR(peaks[0].counts_per_decay, 0.903 * 2 * 0.05 * 0.05, 1e-12);
    EXPECT_EQ(peaks[0].made_of, "511.0 + 1274.5");
}

// Co-60's sum peak at 2505.7 keV: both photons in full energy, 0.9988 * 0.1 * 0.1 by the
// main path, outweighing the crossover line's own 2e-8 * 0.1 there: a sum peak, though
// the crossover line's factor says it gains a thousandfold.
TEST(CoincidenceSumming, Co60SumPeakOutweighsItsCrossoverLine) {
    const auto factors = summing_factors(shipped("Co-60"), flat(0.1, 0.3));
    const auto* crossover = factor_near(factors, 2505.692, 0.1);
    ASSERT_NE(crossover, nullptr);
    EXPECT_GT(crossover->factor, 1000.0);
    const auto peaks = sum_peaks(shipped("Co-60"), flat(0.1, 0.3), 1e-4);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].energy_kev, 1173.228 + 1332.492, 0.015);  // sums kept to 0.01 keV
    EXPECT_NEAR(peaks[0].counts_per_decay, 0.9988 * 0.1 * 0.1, 2e-5);
    EXPECT_EQ(peaks[0].made_of, "1173.2 + 1332.5");
}

// Cs-134: 569.3 and 604.7 keV sum to 1174.0 keV across the 795.9 keV step, which
// leaves nothing: 0.15368 (569.3 keV photons per decay) * 0.1 * (1 - 0.3) * 0.1, within
// 5 % (the weaker ways to 1400.6 keV and the 563.2 keV branch are left out of the hand sum).
TEST(CoincidenceSumming, Cs134SumAcrossAQuietStep) {
    const auto peaks = sum_peaks(shipped("Cs-134"), flat(0.1, 0.3), 1e-4);
    const auto found = std::find_if(peaks.begin(), peaks.end(), [](const SumPeak& p) {
        return std::abs(p.energy_kev - 1174.05) < 0.05;
    });
    ASSERT_NE(found, peaks.end());
    EXPECT_NEAR(found->counts_per_decay, 0.15368 * 0.1 * 0.7 * 0.1, 0.05 * 0.0011);
    EXPECT_EQ(found->made_of, "569.3 + 604.7");
}

}  // namespace
}  // namespace sorvane::corrections
