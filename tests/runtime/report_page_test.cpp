#include "report_page.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// A result of two nuclides with activities, and the annihilation line the activity
// step gives no verdict.
ResultModel two_nuclides() {
    ResultModel result;
    result.spectrum.input = "/data/s1.chn";
    result.spectrum.start = "2026-01-02 08:00:00";
    result.spectrum.live_time = 3600;
    result.spectrum.real_time = 3610;
    result.nuclide_keys = {{"library", "lab.csv (3 nuclides, 7 lines)"},
                           {"reference_time", "2026-01-01T00:00:00"},
                           {"efficiency", "eff.txt (from 59.5 to 1408 keV, standard: S<1>)"},
                           {"unit", "Bq/kg"},
                           {"corrections", "no cascade-summing or self-absorption correction"}};
    result.nuclides.columns = {"nuclide", "identified", "activity", "verdict"};
    NuclideRow found;
    found.nuclide = "Cs-137";
    found.identified = false;
    found.verdict = Verdict::detected;
    found.activity = 100;
    found.d_activity = 2.5;
    found.coverage_low = 95;
    found.coverage_high = 105;
    found.decision_threshold = 0.5;
    found.detection_limit = 1.1;
    NuclideRow missing;
    missing.nuclide = "Co-60";
    missing.verdict = Verdict::not_detected;
    missing.decision_threshold = 0.36783;
    missing.detection_limit = 0.76792;
    // Identified by the library matching, yet its region stays below y*.
    missing.primary_result = 0.2;
    missing.d_primary_result = 0.25;
    missing.identified = true;
    NuclideRow annihilation;
    annihilation.nuclide = "Annihilation-511";
    annihilation.identified = true;
    result.nuclides.rows = {annihilation, found, missing};
    // The shares of variances 3, 2, 1, 0, 0.
    result.activity_budget.rows = {{"Cs-137", 50.0, 100.0 / 3.0, 100.0 / 6.0, 0.0, 0.0}};
    return result;
}

TEST(ReportPage, ShowsWhatTheLaboratorySigns) {
    ResultModel result = two_nuclides();
    result.calibration.energy = {0.5, 0.25, 0};
    result.calibration.recalibrated_energy = {0.1, 0.35, 0};
    result.calibration.recalibration_lines = 6;
    result.calibration.recalibration_residual_rms_kev = 0.02;
    result.calibration.recalibration_residuals = {{2, 244.6974, 0.007}};
    ReportInput input;
    input.name = "s1";
    input.description = "soil <north> & \"field\"";
    input.result = &result;
    input.svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>";
    const std::string html = report_page(input);
    const char* expected[] = {
        "<!DOCTYPE html>",
        "@page { size: A4;",
        "soil &lt;north&gt; &amp; &quot;field&quot;",  // the description escaped
        "<td class=\"key\">Live time</td><td>3600 s</td>",
        "<td class=\"key\">Real time</td><td>3610 s</td>",
        "<td class=\"key\">Energy</td><td>E = 0.5 + 0.25 ch + 0 ch^2 keV</td>",
        "<td class=\"key\"></td><td>Line library: lab.csv (3 nuclides, 7 lines)</td>",
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
    EXPECT_EQ(html.find("Width"), std::string::npos);  // the result holds no width
    EXPECT_EQ(html.find("Annihilation-511"), std::string::npos);
}

// A page a laboratory issues: its header from the settings (empty fields left off),
// the sample as the settings name it, the uncertainties with the chosen k and the
// page saying so, and the lines for the signatures.
TEST(ReportPage, CarriesTheLaboratorysHeaderTheChosenKAndSignatureLines) {
    const ResultModel result = two_nuclides();
    NuclideSettings settings;
    settings.report_laboratory = "Radiation Lab <East>";
    settings.report_accreditation = "ISO/IEC 17025, No. 1234";
    settings.report_detector = "HPGe 40 %";
    settings.report_sample_id = "S-2026-001";
    settings.report_sample_description = "soil, dried";
    settings.sample_quantity = 0.25;
    settings.sample_unit = "kg";
    struct Case {
        double k;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        // d_activity 2.5 times k = 2 is 5.0; the coverage interval stays as computed.
        {2.0,
         {"<td class=\"key\">Laboratory</td><td>Radiation Lab &lt;East&gt;</td>",
          "<td class=\"key\">Accreditation</td><td>ISO/IEC 17025, No. 1234</td>",
          "<td class=\"key\">Detector</td><td>HPGe 40 %</td>",
          "<td class=\"key\">Sample identifier</td><td>S-2026-001</td>",
          "<td class=\"key\">Sample</td><td>soil, dried</td>",
          "<td class=\"key\">Quantity</td><td>0.25 kg</td>",
          "<td>100.0 &plusmn; 5.0</td><td>95.0 &ndash; 105.0</td>",
          "uncertainties are expanded uncertainties, the standard uncertainty multiplied by k = 2",
          "<h2>Approval</h2>", "<td>Analysed by</td>", "<td>Approved by</td>"},
         {"Address", "Geometry", "from the spectrum file"}},
        {1.0,
         {"<td>100.0 &plusmn; 2.5</td>", "uncertainties are standard uncertainties (k = 1)"},
         {"expanded"}},
    };
    for (const Case& c : cases) {
        settings.report_coverage_factor = c.k;
        ReportInput input;
        input.name = "s1";
        input.description = "from the spectrum file";
        input.result = &result;
        input.settings = &settings;
        const std::string html = report_page(input);
        for (const std::string& part : c.present)
            EXPECT_NE(html.find(part), std::string::npos) << "k " << c.k << ": " << part;
        for (const std::string& part : c.absent)
            EXPECT_EQ(html.find(part), std::string::npos) << "k " << c.k << ": " << part;
    }
}

}  // namespace
}  // namespace sorvane
