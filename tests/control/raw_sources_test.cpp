#include "contract/raw_sources.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// Lines the reader keeps or leaves out: four tab-separated fields, a number second.
TEST(RawSources, ReadsEachWellFormedLine) {
    struct Case {
        const char* text;
        std::size_t kept;
        const char* last_path;
    };
    const Case cases[] = {
        {"a\t3\tIEC\t/raw/a b.iec\r\nb\t30\tSimple\tC:\\raw\\b.asc\r\n", 2, "C:\\raw\\b.asc"},
        {"a\t3\tIEC\t/raw/with\ttab.iec\n", 1, "/raw/with\ttab.iec"},  // the path is the rest
        {"a\tx\tIEC\t/raw/a.iec\r\n\t3\tIEC\t/raw/.iec\r\na\t3\tIEC\r\n", 0, ""},
    };
    for (const Case& c : cases) {
        const auto sources = parse_raw_sources(c.text);
        ASSERT_EQ(sources.size(), c.kept) << c.text;
        if (c.kept > 0) {
            EXPECT_EQ(sources.back().raw_path, c.last_path);
        }
    }
}

TEST(RawSources, LeavesOutWhatCouldNotBeReadBack) {
    const std::vector<RawSource> sources{{"a", 3, "IEC", "/raw/a.iec"},
                                         {"b", 3, "IEC", "/raw/line\r\nend.iec"}};
    EXPECT_EQ(render_raw_sources(sources), "a\t3\tIEC\t/raw/a.iec\r\n");
    EXPECT_EQ(source_of(sources, "A")->raw_path, "/raw/a.iec");
    EXPECT_FALSE(source_of(sources, "c").has_value());
}

}  // namespace
}  // namespace sorvane
