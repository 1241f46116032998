#include "report_page.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

ActivityResult two_nuclides() {
    ActivityResult result;
    result.unit = "Bq/kg";
    result.keys = {{"reference_time", "2026-01-01T00:00:00"},
                   {"efficiency", "eff.txt (from 59.5 to 1408 keV, standard: S<1>)"},
                   {"corrections", "no cascade-summing or self-absorption correction"}};
    NuclideActivityRow found{"Cs-137",
                             "detected",
                             activity::NuclideActivity{},
                             activity::CoverageInterval{95, 105, 100, 2.5},
                             0.5,
                             1.1,
                             661.657,
                             {},
                             {}};
    found.activity->activity = 100;
    found.activity->d_activity = 2.5;
    found.activity->lines_used = 1;
    found.activity->budget = {3.0, 2.0, 1.0, 0.0, 0.0};
    NuclideActivityRow missing{"Co-60", "not_detected", {}, {}, 0.36783, 0.76792, 1332.492, {}, {}};
    // Identified by the library matching, yet its region stays below y*.
    missing.primary = activity::PrimaryResult{0.2, 0.25};
    missing.identified = true;
    result.nuclides = {found, missing};
    return result;
}

TEST(ReportPage, ShowsWhatTheLaboratorySigns) {
    const SpectrumFacts facts{"/data/s1.chn", "2026-01-02 08:00:00", 3600, 3610, 4096, "", ""};
    const ActivityResult activity = two_nuclides();
    ReportInput input;
    input.name = "s1";
    input.description = "soil <north> & \"field\"";
    input.facts = &facts;
    input.activity = &activity;
    input.calibration_notes = {"recalibrated_energy = 0.1 0.35 0", "recalibration_lines = 6",
                               "recalibration_residual_rms_kev = 0.02",
                               "recalibration_residual = 2 244.6974 0.007"};
    input.svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>";
    const std::string html = report_page(input);
    const char* expected[] = {
        "<!DOCTYPE html>",
        "@page { size: A4;",
        "soil &lt;north&gt; &amp; &quot;field&quot;",  // the description escaped
        "<td class=\"key\">Live time</td><td>3600 s</td>",
        "<td class=\"key\">Real time</td><td>3610 s</td>",
        "standard: S&lt;1&gt;",
        "<th>Activity (Bq/kg)</th>",
        "<td>Cs-137</td><td>detected</td><td>100.0 &plusmn; 2.5</td><td>95.0 &ndash; 105.0</td>",
        "<td>50.0 / 33.3 / 16.7 / 0.0 / 0.0</td><td>-</td><td>no</td><td></td>",
        "<th>Primary result (Bq/kg)</th><th>Identified (library)</th>",
        "<td>0.20 &plusmn; 0.25</td><td>yes</td>",
        "<td>Co-60</td><td>not detected</td><td>&lt; 0.768</td><td>-</td><td>0.368</td>",
        "Recalibrated on library lines: E = c0 + c1 ch + c2 ch^2 with (0.1 0.35 0) keV, from 6 "
        "lines, residual rms 0.02 keV",
        "Activities at 2026-01-01T00:00:00",
        "<div class=\"plot\">\n<svg xmlns",
    };
    for (const char* part : expected) EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<?xml"), std::string::npos);
    EXPECT_EQ(html.find("recalibration_residual"), std::string::npos);
}

}  // namespace
}  // namespace sorvane
