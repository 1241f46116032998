#include <gtest/gtest.h>

#include "pipeline/nuclide_step.h"

namespace sorvane {
namespace {

// A nuclide identified from one line (Y-88's 897.7 keV, as in a spectrum whose 1408.0
// keV line's single escape falls at 897.0 keV) beside a parent peak: dropped when
// the parent is a line from 1200 keV (1600 keV for a double escape) with at least 10
// times its counts, 511 (1022) keV above it within half the FWHM (0.85 keV).
TEST(EscapePeaks, ANuclideSeenOnlyAtEscapePeaksIsNotIdentified) {
    const nuclides::GammaLine line{"Xx-1", 897.7, 0.01, 90.0, 1.0, ""};
    const nuclides::GammaLine other{"Xx-1", 500.0, 0.01, 90.0, 1.0, ""};
    struct Case {
        const char* what;
        double peak_kev, parent_kev, parent_area;
        bool found_elsewhere;  // a second found line of Xx-1, at no escape
        bool identified;
    };
    const Case cases[] = {
        {"single escape of a line 300 times stronger", 897.7, 1408.0, 2.0e6, false, false},
        {"the parent only 5 times stronger", 897.7, 1408.0, 33000.0, false, true},
        {"the energies 1.0 keV apart", 897.7, 1409.7, 2.0e6, false, true},
        {"a line found elsewhere too", 897.7, 1408.0, 2.0e6, true, true},
        {"double escape of a line from 1600 keV", 897.7, 1919.7, 2.0e6, false, false},
        {"double escape of a line below 1600 keV", 497.7, 1519.7, 2.0e6, false, true},
        {"single escape of a line below 1200 keV", 597.7, 1108.7, 2.0e6, false, true},
    };
    for (const Case& c : cases) {
        const std::vector<nuclides::PeakForMatch> peaks = {
            {c.peak_kev, 0.05, 6600.0, 300.0, 1.7},
            {c.parent_kev, 0.01, c.parent_area, 1500.0, 2.1},
            {500.0, 0.05, 9000.0, 200.0, 1.3}};
        nuclides::Identification identification;
        nuclides::NuclideOutcome xx;
        xx.name = "Xx-1";
        xx.identified = true;
        xx.peaks = {0};
        xx.lines = {{&line, 0, 897.7, 0.0, nuclides::LineStatus::found, false}};
        if (c.found_elsewhere) {
            xx.lines.push_back({&other, 2, 500.0, 0.0, nuclides::LineStatus::found, false});
            xx.peaks.push_back(2);
        }
        identification.nuclides = {xx};
        identification.peak_nuclide = {"Xx-1", "", c.found_elsewhere ? "Xx-1" : ""};
        std::vector<std::string> messages;
        drop_escape_only(identification, peaks, messages);
        EXPECT_EQ(identification.nuclides[0].identified, c.identified) << c.what;
        EXPECT_EQ(identification.peak_nuclide[0], c.identified ? "Xx-1" : "") << c.what;
        EXPECT_EQ(messages.size(), c.identified ? 0u : 1u) << c.what;
    }
}

}  // namespace
}  // namespace sorvane
