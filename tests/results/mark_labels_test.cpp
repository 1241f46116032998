#include "results/mark_labels.h"

#include <gtest/gtest.h>

#include "plot_fixture.h"

namespace sorvane {
namespace {

bool overlap(const PixelBox& a, const PixelBox& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// Close peaks of every height: every label inside the plot area, none over another.
TEST(MarkLabels, NeverOverlap) {
    struct Case {
        std::vector<std::pair<int, double>> peaks;
        std::size_t shown;
    };
    const Case cases[] = {
        {{{100, 1000}, {101, 900}, {102, 800}, {103, 1000}}, 4},
        {{{50, 20}, {52, 20}, {54, 20}, {150, 5000}}, 4},
        // 40 peaks 4 pixels apart: as many numbers as find room (not counted).
        {[] {
             std::vector<std::pair<int, double>> many;
             for (int ch = 60; ch < 100; ++ch) many.push_back({ch, 100});
             return many;
         }(),
         0},
    };
    for (const Case& c : cases) {
        const PlotPicture picture = make_picture(flat_result(c.peaks), "b");
        const PixelBox area{0, 0, 800, 200};
        const AxisMapping mapping(picture.whole, {0.5, 15000}, true, area);
        const auto labels = place_labels(picture, mapping, picture.whole, {7, 14});
        if (c.shown > 0) {
            EXPECT_EQ(labels.size(), c.shown);
        }
        EXPECT_GT(labels.size(), 0u);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const PixelBox& box = labels[i].box;
            EXPECT_GE(box.top, area.top);
            EXPECT_LE(box.bottom(), area.bottom());
            EXPECT_GE(box.left, area.left);
            EXPECT_LE(box.right(), area.right());
            for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(overlap(box, labels[j].box));
        }
    }
}

TEST(MarkLabels, FindsTheMarkUnderThePointer) {
    const PlotPicture picture = make_picture(flat_result({{40, 1000}, {120, 100}}), "b");
    const AxisMapping mapping(picture.whole, {0.5, 3000}, true, {0, 0, 796, 300});
    const auto labels = place_labels(picture, mapping, picture.whole, {7, 14});
    ASSERT_EQ(labels.size(), 2u);
    struct Case {
        double px;
        double py;
        std::optional<std::size_t> mark;
    };
    // Channel 40 sits at pixel 160, channel 120 at 480 (4 pixels a channel).
    const Case cases[] = {
        {160, 290, 0},
        {163, 200, 0},
        {480, 290, 1},
        {300, 290, std::nullopt},
        {170, 290, std::nullopt},
        {labels[1].box.left + 1, labels[1].box.top + 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mark_at(labels, c.px, c.py, 4.0), c.mark) << c.px << "," << c.py;
}

}  // namespace
}  // namespace sorvane
