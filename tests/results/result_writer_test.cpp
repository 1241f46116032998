// The writer pinned by a result written by hand from the layout of B.res
// (tests/data/results/written_by_hand.res): every section in its order, the
// columns lined up under their names, "-" for a field without a value.
#include "results/result_writer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "results/result_file.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

std::string fixture(const std::string& name) {
    return test_data("results/" + name);
}

// The model the file by hand was written for.
ResultModel model_by_hand() {
    const double none = std::nan("");
    ResultModel m;
    m.spectrum = {"D:\\chn\\s1.chn",
                  "D:\\raw\\s1.iec",
                  "3 IEC 1455",
                  "2024-03-05 10:20:30",
                  100.0,
                  102.5,
                  8.0,
                  {1, 6}};
    CalibrationPart& c = m.calibration;
    c.energy = {0.5, 0.25, 0};
    c.energy_source = "file";
    c.d_energy_includes_calibration = "no (the calibration came without uncertainty)";
    c.fwhm = {4, 0.001, 0};
    c.d_fwhm = {0.1, 2e-5, 0};
    c.fwhm_peaks = 2;
    c.fwhm_refined = true;
    c.recalibrated_energy = {0.4, 0.2501, 1e-8};
    c.recalibration_lines = 2;
    c.recalibration_residual_rms_kev = 0.042;
    c.recalibration_residuals = {{1, 1, 0.012}, {2, 1.5, -0.05}};
    c.fwhm_points = {200, 2.6, 4000, 3.5};
    c.fwhm_at_points = {2.1, 3.4};
    m.options = {0, 0, 0, 1, 0, 1, 1, 10, 6, 0, 0, {200, 100, 2.6}, {4000, 2000, 3.5}, {}};
    m.peaks.columns = column_names(peak_columns(), true);
    m.peaks.rows = {
        {1, 2.5, 0.01, 1.125, 0.0025, 2, 0.5, 1500, 40, 100.0 * 40 / 1500, 12, 15, 0.4, 1.1, "T", 2,
         "Cs-137", 120, 11},
        {2, 5.25, 0.125, 1.8125, 0.03125, 2.1, 0.525, 0, 3, {}, 5, {}, {}, 0.9, "", 1, ""},
    };
    m.nuclide_keys = {{"library", "lib.csv (2 nuclides, 3 lines)"}, {"unit", "Bq"}};
    m.nuclides.columns = column_names(nuclide_columns(), true);
    m.nuclides.rows = {
        {"Cs-137",
         true,
         0.91234,
         "1/1",
         "1",
         "",
         12.5,
         0.5,
         11.5,
         13.5,
         0.2,
         0.41,
         {},
         Verdict::detected,
         12.4,
         0.6,
         Verdict::detected,
         12.5,
         0.5,
         "661.657,32.19",
         1.5,
         ""},
        {"Am-241",
         false,
         {},
         "",
         "",
         "",
         {},
         {},
         {},
         {},
         {},
         0.8,
         {},
         Verdict::not_detected,
         -0.2,
         0.3,
         Verdict::not_detected,
         {},
         {},
         "",
         {},
         "identifying_line_shared"},
    };
    m.nuclide_lines.columns = column_names(nuclide_line_columns(), true);
    m.nuclide_lines.rows = {
        {"Cs-137", 661.657, 85.1, 1, 661.6, -0.057, "found", 12.5, 0.5, 0.9, 0.95},
        {"Am-241", 59.5409, 35.92, {}, {}, {}, "missing", {}, {}, {}, {}},
    };
    m.unexplained_peaks.columns = column_names(unexplained_columns(), true);
    m.unexplained_peaks.rows = {{2, 1.8125, 0, ""}};
    m.activity_budget.columns = column_names(budget_columns(), true);
    m.activity_budget.rows = {{"Cs-137", 60, 35, 3, 1, 0, 1}};
    m.messages = {"first message", "second"};
    m.flag_legend = {{"T", "low-energy tail fitted"}, {"M", "manual peak"}};
    m.regions = {{1, 6, 12.5, -1, 2, {{2.5, 1500, 0.85, 1.5, 0.25, 0.85, 1.2, 0.4}}}};
    m.counts = {0, 3, 10, 40, 12, 7, 5, 2};
    m.has_counts = true;
    m.data_channels = {1, 6};
    m.fit = {none, 4, 11, 39.5, 12.25, 6, 5.5, none};
    m.background = {none, 3, 3, 2.5, 2, 2, 1.5, none};
    return m;
}

TEST(ResultWriter, WritesTheLayoutByHand) {
    EXPECT_EQ(write_result(model_by_hand()), fixture("written_by_hand.res"));
}

// Whatever a reader gets back writes the same bytes again, and a model rounded to
// its file's digits is what the reader gets back.
TEST(ResultWriter, ReadsBackTheModelItWrote) {
    const std::string text = fixture("written_by_hand.res");
    const ResultModel read = read_result(text);
    EXPECT_EQ(write_result(read), text);
    ResultModel rounded = model_by_hand();
    round_to_written(rounded);
    EXPECT_EQ(read.spectrum, rounded.spectrum);
    EXPECT_EQ(read.calibration, rounded.calibration);
    EXPECT_EQ(read.options, rounded.options);
    EXPECT_EQ(read.peaks, rounded.peaks);
    EXPECT_EQ(read.nuclide_keys, rounded.nuclide_keys);
    EXPECT_EQ(read.nuclides, rounded.nuclides);
    EXPECT_EQ(read.nuclide_lines, rounded.nuclide_lines);
    EXPECT_EQ(read.unexplained_peaks, rounded.unexplained_peaks);
    EXPECT_EQ(read.activity_budget, rounded.activity_budget);
    EXPECT_EQ(read.messages, rounded.messages);
    EXPECT_EQ(read.flag_legend, rounded.flag_legend);
    EXPECT_EQ(read.regions, rounded.regions);
    EXPECT_EQ(read.counts, rounded.counts);
    EXPECT_EQ(read.data_channels, rounded.data_channels);
    // The score is kept to the 3 decimals the file gives it.
    EXPECT_EQ(read.nuclides.rows[0].score, 0.912);
    EXPECT_EQ(read.fit[3], 39.5);
    // [data] lists channels 1 to 6: channel 0 has no fit, nor has 6 a background.
    ASSERT_EQ(read.fit.size(), 7u);
    EXPECT_TRUE(std::isnan(read.fit[0]) && std::isnan(read.background[0]));
    EXPECT_EQ(read.background[6], 1.5);
}

// The numbers as the file states them: 8 significant digits, 3 decimals for the
// score and the lines' energies, whole numbers as integers.
TEST(ResultWriter, RoundsToTheDigitsItWrites) {
    struct Case {
        double value;
        double rounded;  // to 8 significant digits
    };
    const Case cases[] = {
        {1.0 / 3.0, 0.33333333},
        {2.0 / 3.0 * 1000, 666.66667},
        {123456789.0, 123456790.0},
        {-0.057, -0.057},
        {0.0, 0.0},
    };
    for (const Case& c : cases) {
        ResultModel m;
        m.spectrum.live_time = c.value;
        round_to_written(m);
        EXPECT_EQ(m.spectrum.live_time, c.rounded) << c.value;
    }
    ResultModel m;
    m.nuclides.rows = {{"X", true, 0.12345}};
    m.nuclide_lines.rows = {{"X", 1.0, 1.0, 3, 661.65749, -0.0575}};
    round_to_written(m);
    EXPECT_EQ(m.nuclides.rows[0].score, 0.123);
    EXPECT_EQ(m.nuclide_lines.rows[0].recalibrated_energy, 661.657);
    EXPECT_EQ(m.nuclide_lines.rows[0].peak, 3);
}

// B.csv: every channel, "-" where no region was fitted.
TEST(ResultWriter, WritesTheCountTable) {
    ResultModel m = model_by_hand();
    m.counts.resize(3);
    EXPECT_EQ(result_csv(m),
              "channel,counts,fit,background\r\n0,0,-,-\r\n1,3,4,3\r\n2,10,11,3\r\n");
}

// Results of earlier versions, and those the runtime wrote, read and write again
// with every line the reader knows.
TEST(ResultWriter, ReadsEveryFixture) {
    struct Case {
        const char* file;
        std::size_t peaks;
        bool nuclides;
    };
    const Case cases[] = {
        {"failed.res", 0, false},    {"old_format.res", 3, false},
        {"iec_eu152.res", 0, false}, {"iec_eu152_nuclides.res", 0, true},
        {"nuclides_b.res", 6, true}, {"labo_co60_nuclides.res", 0, true},
    };
    for (const Case& c : cases) {
        const ResultModel read = read_result(fixture(c.file));
        if (c.peaks > 0) {
            EXPECT_EQ(read.peaks.rows.size(), c.peaks) << c.file;
        }
        EXPECT_EQ(!read.nuclides.columns.empty(), c.nuclides) << c.file;
        const ResultModel again = read_result(write_result(read));
        EXPECT_EQ(again.peaks, read.peaks) << c.file;
        EXPECT_EQ(again.nuclides, read.nuclides) << c.file;
        EXPECT_EQ(again.spectrum, read.spectrum) << c.file;
    }
}

}  // namespace
}  // namespace sorvane
