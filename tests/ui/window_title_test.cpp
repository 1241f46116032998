#include "ui/window_title.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

struct TitleRow {
    Version version;
    const char* title;
};

class WindowTitle : public ::testing::TestWithParam<TitleRow> {};

TEST_P(WindowTitle, NumbersWrittenPlainly) {
    EXPECT_EQ(window_title(GetParam().version), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(Versions, WindowTitle,
                         ::testing::Values(TitleRow{{2, 1, 8}, "Sorvane  Ver: 2. 1 Rev: 8"},
                                           TitleRow{{10, 0, 12}, "Sorvane  Ver: 10. 0 Rev: 12"}));

TEST(WindowTitle, ThisBuildIsVersion218) {
    const Version version = program_version();
    EXPECT_EQ(version.major, 2);
    EXPECT_EQ(version.minor, 1);
    EXPECT_EQ(version.revision, 8);
}

}  // namespace
}  // namespace sorvane
