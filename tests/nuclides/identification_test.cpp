#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "nuclides/energy_recalibration.h"
#include "nuclides/identification.h"

namespace sorvane::nuclides {
namespace {

// A library of made-up lines (keV, percent), exact energies.
LineLibrary library_of(std::initializer_list<GammaLine> lines) {
    LineLibrary library;
    for (const auto& line : lines) library.lines.push_back(line);
    std::sort(library.lines.begin(), library.lines.end(),
              [](const GammaLine& a, const GammaLine& b) { return a.energy < b.energy; });
    return library;
}

PeakForMatch peak_at(double energy, double d_energy = 0.05) {
    return {energy, d_energy, 10000.0, 100.0, 1.5};
}

IdentifyOptions options_for(double floor = 0.5) {
    IdentifyOptions options;
    options.energy_tolerance_kev = floor;
    options.low_kev = 50.0;
    options.high_kev = 3000.0;
    options.detectable_area = [](double) { return 100.0; };
    return options;
}

const NuclideOutcome& outcome(const Identification& id, const std::string& name) {
    return *std::find_if(id.nuclides.begin(), id.nuclides.end(),
                         [&](const NuclideOutcome& n) { return n.name == name; });
}

struct ToleranceCase {
    double offset;  // peak minus line, keV
    double d_energy;
    bool matched;
};

// The tolerance is three combined standard deviations, never below the floor (0.5
// keV): 0.1 keV gives the floor, 0.3 keV gives 0.9 keV.
TEST(Matching, ToleranceAtItsEdges) {
    const ToleranceCase table[] = {{0.49, 0.1, true},   {-0.49, 0.1, true}, {0.51, 0.1, false},
                                   {-0.51, 0.1, false}, {0.89, 0.3, true},  {0.91, 0.3, false}};
    const auto library = library_of({{"Cs-137", 661.6553, 0.0, 85.0, 0.2, "K"}});
    for (const auto& c : table) {
        const PeakForMatch peaks[] = {peak_at(661.6553 + c.offset, c.d_energy)};
        const auto id = identify(peaks, library, options_for());
        EXPECT_EQ(id.peak_nuclide[0] == "Cs-137", c.matched) << c.offset << " " << c.d_energy;
    }
}

struct SharedCase {
    std::vector<double> peaks;
    const char* owner;  // of the peak at 300.1 keV
    const char* other;
};

// A peak at 300.1 keV fits a line of A (300.0) and one of B (300.2): it goes to the
// nuclide whose other line is found, the other's line there is "shared", both name
// the interference, and the loser is not identified from that peak alone.
TEST(Identification, ASharedPeakGoesToTheNuclideTheOtherLinesFavour) {
    const auto library = library_of({{"A", 100.0, 0.0, 50.0, 1.0, "K"},
                                     {"A", 300.0, 0.0, 50.0, 1.0, "K"},
                                     {"B", 300.2, 0.0, 90.0, 1.0, "K"},
                                     {"B", 500.0, 0.0, 80.0, 1.0, "K"}});
    const SharedCase table[] = {{{100.0, 300.1}, "A", "B"}, {{300.1, 500.0}, "B", "A"}};
    for (const auto& c : table) {
        std::vector<PeakForMatch> peaks;
        for (double e : c.peaks) peaks.push_back(peak_at(e));
        const auto id = identify(peaks, library, options_for());
        const int shared = c.peaks[0] == 300.1 ? 0 : 1;
        EXPECT_EQ(id.peak_nuclide[static_cast<std::size_t>(shared)], c.owner);
        const auto& owner = outcome(id, c.owner);
        const auto& other = outcome(id, c.other);
        EXPECT_TRUE(owner.identified) << c.owner;
        EXPECT_FALSE(other.identified) << c.other;
        const std::pair<int, std::string> mark{shared, c.other};
        EXPECT_NE(std::find(owner.interferences.begin(), owner.interferences.end(), mark),
                  owner.interferences.end());
        const auto line = std::find_if(other.lines.begin(), other.lines.end(),
                                       [&](const LineOutcome& l) { return l.peak == shared; });
        ASSERT_NE(line, other.lines.end());
        EXPECT_EQ(line->status, LineStatus::shared);
    }
}

// A stronger line missing where it would have been seen rules a nuclide out; one
// too weak to be seen there (its expectation below the detectable area) does not.
TEST(Identification, AMissingStrongerLineRulesTheNuclideOut) {
    const auto library =
        library_of({{"C", 400.0, 0.0, 80.0, 1.0, "K"}, {"C", 800.0, 0.0, 10.0, 1.0, "K"}});
    const PeakForMatch peaks[] = {peak_at(800.0)};  // 10000 counts: 80000 expected at 400
    for (const auto& [detectable, identified] : {std::pair{100.0, false}, {1e6, true}}) {
        auto options = options_for();
        options.detectable_area = [d = detectable](double) { return d; };
        EXPECT_EQ(outcome(identify(peaks, library, options), "C").identified, identified);
    }
}

struct RecalibrationCase {
    int lines;                     // of the exact peaks used
    QuadraticEnergy truth, start;  // the spectrum's scale and the file's
};

// Peaks placed exactly at library lines under a known scale: the recalibration finds
// that scale (to a hundredth of a keV) from a file calibration shifted by a keV and
// stretched by 0.1 %; a curvature from six lines spread over the range, a stretch
// from two, an offset from one; and a file's wrong curvature from the far lines.
TEST(Recalibration, RecoversTheScaleFromExactPeaks) {
    const double energies[] = {150.0, 420.0, 800.0, 1250.0, 1700.0, 2300.0};
    // One nuclide a line: a nuclide's lines not found would make its others no anchors.
    LineLibrary library;
    for (double e : energies)
        library.lines.push_back(
            {"X" + std::to_string(library.lines.size()), e, 0.0, 50.0, 0.5, "K"});
    const RecalibrationCase table[] = {
        {6, {1.0, 0.5, 5e-8}, {2.0, 0.5005, 0.0}},
        {2, {1.0, 0.5, 0.0}, {2.0, 0.5005, 0.0}},
        {1, {1.2, 0.5, 0.0}, {2.0, 0.5, 0.0}},
        {6, {1.0, 0.5, 0.0}, {1.0, 0.5, 3e-7}},  // the file's curvature 6 keV off at the top
    };
    for (const auto& c : table) {
        std::vector<PeakEvidence> peaks;
        for (int i = 0; i < c.lines; ++i)
            peaks.push_back(
                {c.truth.channel(energies[i * (6 / c.lines)]), 0.01, 1e4, 100.0, 1.5, "-"});
        const auto result = recalibrate_energy(peaks, library, c.start, 0.5, 4600.0);
        ASSERT_TRUE(result.done) << c.lines;
        for (double ch : {100.0, 2000.0, 4000.0})
            EXPECT_NEAR(result.energy.energy(ch), c.truth.energy(ch), 0.01) << c.lines << " " << ch;
        EXPECT_LT(result.residual_rms_kev, 0.01);
    }
}

}  // namespace
}  // namespace sorvane::nuclides
