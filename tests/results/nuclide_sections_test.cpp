// The sections identification and activities add to a result, in
// tests/data/results/nuclides_b.res written by hand from the agreed layout: key lines
// before each table's header, "-" for an empty field.
#include <gtest/gtest.h>

#include "results/nuclide_list.h"
#include "results/peak_table.h"
#include "results/plot_picture.h"
#include "results/result_file.h"
#include "results/run_summary.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// A result of a mixed sample with identification and activities.
ResultModel identified_result() {
    return read_result(test_data("results/nuclides_b.res"));
}

TEST(NuclideSections, AreReadByTheirColumnNames) {
    const ResultModel r = identified_result();
    // Each field in the type the model gives it: text, a number or the verdict.
    struct Text {
        std::string actual;
        const char* expected;
    };
    const Text texts[] = {
        {r.peaks.rows[0].nuclide, "Annihilation-511"},
        {r.peaks.rows[4].nuclide, ""},  // "-" is no nuclide
        {r.nuclides.rows[2].interferences, "5:Co-60,6:K-40"},
        {r.nuclide_lines.rows[2].status, "missing"},
        {r.unexplained_peaks.rows[0].flags, "S"},
    };
    for (const Text& t : texts) EXPECT_EQ(t.actual, t.expected);
    struct Value {
        Number actual;
        double expected;
    };
    const Value values[] = {
        {r.nuclides.rows[0].detection_limit, 4.4},
        {r.nuclide_lines.rows[1].recalibrated_energy, 1173.18},
        {r.activity_budget.rows[0].efficiency, 35},
    };
    for (const Value& v : values) EXPECT_EQ(v.actual, v.expected);
    EXPECT_EQ(r.nuclides.rows[3].verdict, Verdict::detected);
    EXPECT_EQ(r.nuclides.cell(3, "verdict"), "detected");
    EXPECT_EQ(r.nuclides.rows.size(), 5u);
    EXPECT_EQ(r.nuclide_keys.size(), 5u) << "both libraries, the chain, the time and the unit";
    EXPECT_EQ(value_of(r.nuclide_keys, "chain"), "U-238 series: Ra-226 Pb-214 Bi-214");
    EXPECT_EQ(r.messages, std::vector<std::string>{"fine"});
    EXPECT_EQ(peak_nuclide(r, 4), "") << "\"-\" is no nuclide";
    EXPECT_EQ(peak_nuclide(r, 1), "Cs-137");
}

TEST(NuclideSections, RecalibrationKeysGiveTermsAndResiduals) {
    const auto recal = recalibration(identified_result());
    ASSERT_TRUE(recal);
    EXPECT_DOUBLE_EQ(recal->terms.energy(2645.6), 0.3 + 0.2501 * 2645.6 + 1e-8 * 2645.6 * 2645.6);
    EXPECT_EQ(recal->lines, 3);
    EXPECT_EQ(recal->rms_kev, 0.042);
    ASSERT_EQ(recal->residuals.size(), 3u);
    EXPECT_EQ(recal->residuals[1].peak, 3);
    EXPECT_EQ(recal->residuals[1].library_energy, 1173.228);
    EXPECT_EQ(recal->residuals[1].residual_kev, -0.050);
    EXPECT_FALSE(recalibration(read_result("[calibration]\r\nenergy = 0 1 0\r\n")));
}

// A result of a run without identification: nothing new shows.
TEST(NuclideSections, AResultWithoutThemReadsAsBefore) {
    const ResultModel r = read_result("[peaks]\r\nno channel energy area\r\n1 10 5 100\r\n");
    EXPECT_TRUE(r.nuclides.columns.empty());
    EXPECT_EQ(peak_table(r).headers.size(), 11u);
    EXPECT_EQ(peaks_csv(r).find("nuclide"), std::string::npos);
    EXPECT_TRUE(nuclide_list(r).rows.empty());
    EXPECT_EQ(summary_row("a", r, "").nuclides, "");
}

TEST(NuclideSections, PeakTableAndMarksNameTheNuclide) {
    const ResultModel r = identified_result();
    const PeakTable table = peak_table(r);
    ASSERT_EQ(table.headers.back(), "Nuclide");
    EXPECT_EQ(table.rows[2].cells.back(), "Co-60");
    EXPECT_EQ(table.rows[4].cells.back(), "");
    const PlotPicture picture = make_picture(r, "b");
    ASSERT_EQ(picture.marks.size(), 6u);
    EXPECT_EQ(mark_text(picture.marks[1]), "2 Cs-137");
    EXPECT_EQ(mark_text(picture.marks[4]), "5");
    EXPECT_NE(peaks_csv(r).find(",flags,nuclide\r\n"), std::string::npos);
}

// Identified first by score, then the others; the activity columns in words.
TEST(NuclideSections, NuclideListPutsTheIdentifiedFirst) {
    const NuclideList list = nuclide_list(identified_result());
    ASSERT_EQ(list.headers.size(), 11u);
    struct Row {
        const char* nuclide;
        const char* activity;
        const char* coverage;
        const char* threshold;
        const char* verdict;
        bool flagged;
    };
    const Row expected[] = {
        {"Cs-137", "120.4 +- 3.1 Bq/kg", "114.3 .. 126.6", "0.5", "detected", false},
        {"Co-60", "41.5 +- 1.2 Bq/kg", "39.1 .. 43.9", "0.8", "detected", false},
        {"K-40", "80 +- 10 Bq/kg", "60 .. 100", "5", "outside the curve's range", true},
        {"Eu-152", "", "", "", "no efficiency", false},
        {"Am-241", "< 4.4 Bq/kg", "", "2.1", "not detected", false},
    };
    ASSERT_EQ(list.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const auto& cells = list.rows[i].cells;
        EXPECT_EQ(cells[0], expected[i].nuclide);
        EXPECT_EQ(cells[6], expected[i].activity) << cells[0];
        EXPECT_EQ(cells[7], expected[i].coverage) << cells[0];
        EXPECT_EQ(cells[8], expected[i].threshold) << cells[0];
        EXPECT_EQ(cells[9], expected[i].verdict) << cells[0];
        EXPECT_EQ(list.rows[i].flagged, expected[i].flagged) << cells[0];
    }
    EXPECT_EQ(list.rows[3].cells[5], "5:Co-60, 6:K-40");
    EXPECT_EQ(list.rows[0].cells[10],
              "counting 60 %, efficiency 35 %, emission 4 %, half_life 1 %, quantity 0 %");
    EXPECT_EQ(list.notes.front(),
              "library: /usr/share/sorvane/nuclides/gamma_lines.csv (38 nuclides, 166 lines)");
    ASSERT_EQ(unexplained_peaks(identified_result()).size(), 1u);
    EXPECT_EQ(unexplained_peaks(identified_result())[0].energy, "1450.5");
}

TEST(NuclideSections, RunSummaryListsNuclidesAndExportsActivities) {
    const std::vector<SummaryRow> rows = {summary_row("b", identified_result(), ""),
                                          summary_row("old", std::nullopt, "")};
    EXPECT_EQ(rows[0].nuclides, "Co-60 Cs-137 K-40");
    EXPECT_EQ(activity_nuclides(rows),
              (std::vector<std::string>{"Am-241", "Co-60", "Eu-152", "Cs-137", "K-40"}));
    const std::string csv = activities_csv(rows);
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "spectrum,nuclide,activity,d_activity,unit,coverage_low,coverage_high,"
              "decision_threshold,detection_limit,verdict,primary_result,d_primary_result,"
              "decision,identified\r\n");
    // A result without the primary result leaves its columns empty.
    EXPECT_NE(csv.find("b,Am-241,,,Bq/kg,,,2.1,4.4,not_detected,,,,no\r\n"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("b,Cs-137,120.4,3.1,Bq/kg,114.3,126.6,0.5,1.1,detected,,,,yes\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(summary_csv(rows).find("failure,nuclides\r\n"), std::string::npos);
    EXPECT_NE(summary_csv(rows).find(",Co-60 Cs-137 K-40\r\n"), std::string::npos);
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// The decision beside identification, written by hand in the runtime's columns: a
// nuclide not identified but above its decision threshold, and one identified whose
// region stays below it. Values and uncertainties are shown to two digits of the
// uncertainty, as the activity column does.
TEST(NuclideSections, TheDecisionStandsBesideIdentification) {
    const ResultModel r = read_result(
        "[nuclides]\r\n"
        "nuclide identified score lines peaks interferences activity d_activity coverage_low "
        "coverage_high decision_threshold detection_limit lines_chi2r verdict primary_result "
        "d_primary_result decision best_estimate d_best_estimate excluded_lines "
        "uncertainty_scale reason\r\n"
        "Co-60 no - - - - 2.5 0.9 0.74 4.26 1.6 3.3 - detected 2.5 0.9 detected 2.52 0.87 - - "
        "-\r\n"
        "Cs-137 yes 0.6 1/1 3 - - - - - 1.2 2.5 - not_detected 0.4 0.7 not_detected - - - - "
        "-\r\n"
        "Pb-212 no - - - - - - - - - - - not_computable - - - - - - - "
        "226_half-lives_between_reference_and_count\r\n");
    const NuclideList list = nuclide_list(r);
    ASSERT_EQ(list.headers.size(), 15u);
    EXPECT_EQ(list.headers[11], "Primary result");
    EXPECT_EQ(list.headers[12], "Decision");
    struct Row {
        const char* nuclide;
        const char* identified;
        const char* primary;
        const char* decision;
        const char* limit;
        const char* why;
    };
    const Row expected[] = {
        {"Cs-137", "yes", "0.40 +- 0.70", "not detected", "2.5", ""},
        {"Co-60", "no", "2.50 +- 0.90", "detected", "3.3", ""},
        {"Pb-212", "no", "", "", "", "226 half-lives between reference and count"},
    };
    ASSERT_EQ(list.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const auto& cells = list.rows[i].cells;
        EXPECT_EQ(cells[0], expected[i].nuclide);
        EXPECT_EQ(cells[1], expected[i].identified) << cells[0];
        EXPECT_EQ(cells[11], expected[i].primary) << cells[0];
        EXPECT_EQ(cells[12], expected[i].decision) << cells[0];
        EXPECT_EQ(cells[13], expected[i].limit) << cells[0];
        EXPECT_EQ(cells[14], expected[i].why) << cells[0];
    }
    EXPECT_EQ(list.rows[2].cells[9], "not computable");
}

}  // namespace
}  // namespace sorvane
