#include "results/plot_view.h"

#include <gtest/gtest.h>

#include "plot_fixture.h"

namespace sorvane {
namespace {

TEST(PlotPicture, DrawsTheResultInEnergyWithItsMarksAndFit) {
    ResultModel result = flat_result({{40, 500}, {120, 80}});
    result.regions =
        read_result("[regions]\r\nregion = 110 130 10 0 2\r\npeak = 120 700 2 0 0 2\r\n").regions;
    const PlotPicture picture = make_picture(result, "b");
    EXPECT_TRUE(picture.energy_axis);
    EXPECT_DOUBLE_EQ(picture.whole.high, 199 * 0.5);
    ASSERT_EQ(picture.marks.size(), 2u);
    EXPECT_DOUBLE_EQ(picture.marks[1].x, 60.0);
    EXPECT_DOUBLE_EQ(picture.marks[0].apex, 500);  // no fit there: the count
    // 700 counts with sigma 2: the top channel holds erf(0.25/sqrt2)*700 = 138.2 on 10.
    EXPECT_NEAR(picture.marks[1].apex, 10 + 138.2, 0.1);
    ASSERT_EQ(picture.backgrounds.size(), 1u);
    EXPECT_EQ(picture.backgrounds[0].first, 110u);
    EXPECT_EQ(picture.backgrounds[0].values.size(), 21u);
    EXPECT_EQ(picture.channel_at(60.2), 120u);
}

// An energy that falls again within the spectrum (0.5 ch - 0.01 ch^2 tops at
// channel 25) is no axis: the picture keeps channels.
TEST(PlotPicture, KeepsChannelsWhenTheEnergyDoesNotGrow) {
    ResultModel result = flat_result({{40, 500}});
    result.calibration.energy = {0, 0.5, -0.01};
    const PlotPicture picture = make_picture(result, "b");
    EXPECT_FALSE(picture.energy_axis);
    EXPECT_DOUBLE_EQ(picture.marks[0].x, 40.0);
}

TEST(PlotPicture, TitleNamesTheSpectrumLiveTimeAndStart) {
    struct Case {
        const char* spectrum;
        const char* expected;
    };
    const Case cases[] = {
        {"live_time = 3600\r\nstart = 2026-03-01 10:20:00",
         "b, live time 3600 s, started 2026-03-01 10:20:00"},
        {"live_time = 0\r\nstart = ", "b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(picture_title(read_result(std::string("[spectrum]\r\n") + c.spectrum), "b"),
                  c.expected);
}

TEST(PlotView, ZoomsPansAndResets) {
    const PlotPicture picture = make_picture(flat_result({{40, 500}, {120, 80}}), "b");
    PlotView view(picture);
    EXPECT_FALSE(view.zoomed());
    EXPECT_DOUBLE_EQ(view.y().high, 1500);  // 500 counts with room for the marks

    view.zoom_x(50.0, 0.5);  // at 50 keV, half the width: 25 .. 74.75
    EXPECT_TRUE(view.zoomed());
    EXPECT_DOUBLE_EQ(view.x().low, 25.0);
    EXPECT_DOUBLE_EQ(view.x().span(), 99.5 / 2);
    EXPECT_DOUBLE_EQ(view.y().high, 80 * 3.0);  // only the second peak in view

    view.pan(-100);  // stops at the spectrum's start
    EXPECT_DOUBLE_EQ(view.x().low, 0.0);
    EXPECT_DOUBLE_EQ(view.x().span(), 99.5 / 2);

    view.centre_on(60.0);
    EXPECT_DOUBLE_EQ(view.x().low + view.x().span() / 2, 60.0);

    view.zoom_to({10, 10.1}, {1, 5});  // next to no width: ignored
    EXPECT_DOUBLE_EQ(view.x().low + view.x().span() / 2, 60.0);
    view.zoom_to({30, 10}, {100, 1});
    EXPECT_DOUBLE_EQ(view.x().low, 10);
    EXPECT_DOUBLE_EQ(view.y().high, 100);

    view.reset();
    EXPECT_FALSE(view.zoomed());
    view.set_log_y(false);
    EXPECT_DOUBLE_EQ(view.y().low, 0.0);
    EXPECT_DOUBLE_EQ(view.y().high, 500 * 1.15);
}

}  // namespace
}  // namespace sorvane
