#include "results/svg_picture.h"

#include <gtest/gtest.h>

#include <regex>

#include "plot_fixture.h"

namespace sorvane {
namespace {

std::vector<std::string> all(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it)
        found.push_back((*it)[1].str());
    return found;
}

// A4 is 595.3 pt wide: a page of svg_width units printed across it shrinks every size.
TEST(SvgPicture, NoTextBelowEightPointAtA4Width) {
    ResultModel result = flat_result({{40, 500}, {44, 400}, {120, 80}});
    const std::string svg = picture_svg(make_picture(result, "b"));
    const auto sizes = all(svg, "font-size=\"([0-9.]+)\"");
    ASSERT_FALSE(sizes.empty());
    for (const auto& size : sizes) EXPECT_GE(std::stod(size) * 595.3 / svg_width, 8.0) << size;
}

TEST(SvgPicture, HasAxesLegendTitleAndEveryMark) {
    ResultModel result = flat_result({{40, 500}, {44, 400}, {120, 80}});
    result.spectrum.live_time = 3600;
    result.regions =
        read_result("[regions]\r\nregion = 110 130 10 0 2\r\npeak = 120 700 2 0 0 2\r\n").regions;
    const std::string svg = picture_svg(make_picture(result, "eu<152>"));
    const auto texts = all(svg, ">([^<>]+)</text>");
    auto has = [&](const std::string& t) {
        return std::find(texts.begin(), texts.end(), t) != texts.end();
    };
    for (const char* expected :
         {"eu&lt;152&gt;, live time 3600 s", "Energy (keV)", "Counts per channel", "spectrum",
          "fit", "background", "1", "2", "3", "10", "100", "0", "20", "40", "60", "80"})
        EXPECT_TRUE(has(expected)) << expected;
    // The background runs over its region only: channels 110 to 130, 55 to 65 keV, on
    // 860 pixels for 99.5 keV from pixel 80.
    const auto blue = all(svg, "stroke=\"#2060c0\" stroke-width=\"1.2\" points=\"([^\"]+)\"");
    ASSERT_EQ(blue.size(), 1u);
    const auto xs = all(" " + blue[0], " ([0-9.]+),");
    ASSERT_FALSE(xs.empty());
    EXPECT_NEAR(std::stod(xs.front()), 80 + 55 * 860.0 / 99.5, 0.1);
    EXPECT_NEAR(std::stod(xs.back()), 80 + 65 * 860.0 / 99.5, 0.1);
}

}  // namespace
}  // namespace sorvane
