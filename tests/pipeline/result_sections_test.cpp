#include <gtest/gtest.h>

#include "analysis/region_curve.h"
#include "analysis/region_model.h"
#include "pipeline/result_building.h"
#include "results/result_file.h"
#include "results/result_writer.h"

namespace sorvane {
namespace {

using analysis::PeakShape;

// The curve a result keeps draws exactly what the fit's own model computed.
TEST(RegionCurve, RedrawsTheFittedModel) {
    struct Case {
        PeakShape shape;
        double bkg_shape;
        double tail;
        double high_tail = 0.0;
        double high_share = 1.0;
    };
    const Case cases[] = {
        {PeakShape::gauss_exp, 2.0, 1.5},
        {PeakShape::gauss, 10.0, 1.5, 1.0},  // a pure Gaussian ignores both tail parameters
        {PeakShape::gauss_exp, 0.1, 4.0},
        {PeakShape::gauss_exp, 2.0, 1.5, 1.2},
        {PeakShape::gauss_exp, 2.0, 1.5, 0.5, 0.3},  // a long tail on a part of each peak
    };
    for (const Case& c : cases) {
        const analysis::WidthCalibration width{4.0, 0.01, false};
        const analysis::RegionModel model(10, 40, 2, width, c.shape, c.bkg_shape, {1.5, 1.7});
        // centroids, areas, width scale, tail, high tail, its share, level, slope, steps
        const std::vector<double> theta{20,          1000,         27, 300, 1.1, c.tail,
                                        c.high_tail, c.high_share, 20, -3,  4,   1};
        std::vector<double> expected(model.channel_count());
        model.evaluate(theta, expected, nullptr);
        const std::vector<double> background = model.background(theta);
        const auto values = analysis::evaluate_curve(analysis::curve_of(model, theta));
        ASSERT_EQ(values.model.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(values.model[i], expected[i], 1e-9 * expected[i]) << i;
            EXPECT_NEAR(values.background[i], background[i], 1e-9 * background[i]) << i;
        }
    }
}

TEST(ResultSections, PeakColumnsLineUp) {
    EXPECT_EQ(aligned_lines({{"no", "channel", "flags"}, {"1", "347.38", "T"}, {"10", "5", "-"}}),
              (std::vector<std::string>{"no channel flags", "1  347.38  T", "10 5       -"}));
}

// Bytes written by hand from the layout: 16 counts a line, each line led by its
// first channel; one "region" line and a "peak" line for each of its peaks, the
// high tail's k last.
TEST(ResultSections, KeepTheFitAndTheCounts) {
    SpectrumAnalysis analysis;
    analysis::RegionResult region;
    region.curve = {3, 9, 12.5, -1, 2, {{6, 100, 1.25, 0, 2, 1.5, 0.9}}};
    analysis.regions = {region, analysis::RegionResult{}};  // a region without peaks is left out
    std::vector<double> counts(20);
    for (std::size_t ch = 0; ch < counts.size(); ++ch) counts[ch] = 2.0 * ch;
    const std::string written = write_result(analysed_result({}, {}, analysis, counts));
    const std::string text = written.substr(written.find("[regions]"));
    EXPECT_EQ(text,
              "[regions]\r\n"
              "region = 3 9 12.5 -1 2\r\n"
              "peak = 6 100 1.25 0 2 1.5 0.9 1\r\n"
              "[counts]\r\n"
              "0 0 2 4 6 8 10 12 14 16 18 20 22 24 26 28 30\r\n"
              "16 32 34 36 38\r\n");
    const ResultModel read = read_result(text);
    EXPECT_EQ(read.counts, counts);
    ASSERT_EQ(read.regions.size(), 1u);
    EXPECT_EQ(read.regions[0].peaks[0].sigma, 1.25);
    EXPECT_EQ(read.regions[0].peaks[0].step_sigma, 1.5);
    EXPECT_EQ(read.regions[0].peaks[0].high_share, 1.0);
}

}  // namespace
}  // namespace sorvane
