#include "platform/dos_pattern.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(DosPattern, MatchesAsTheFileListsDo) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"a.chn", "*.chn", true},
        {"A.CHN", "*.chn", true},
        {"a.chn.bak", "*.chn", false},
        {"readme", "*.*", true},
        {"a.b.c", "*.*", true},
        {"x.iec", "*.IEC", true},
        {"spec", "spec.*", true},
        {"spec.rms", "spec.*", true},
        {"a1.txt", "a?.txt", true},
        {"a12.txt", "a?.txt", false},
        {"abc", "*", true},
        {"a.asc", "*.chn;*.asc", true},
        {"a.dat", "*.chn;*.asc", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matches_any_dos_pattern(c.name, c.pattern), c.matches)
            << c.name << " ~ " << c.pattern;
    }
}

TEST(DosPattern, CaseInsensitiveComparisons) {
    EXPECT_TRUE(equal_ignoring_case("Data.ASC", "data.asc"));
    EXPECT_FALSE(equal_ignoring_case("data.as", "data.asc"));
    EXPECT_TRUE(less_ignoring_case("apple", "Banana"));
    EXPECT_TRUE(contains_ignoring_case("C:\\DATA.ASC\\x.txt", ".asc"));
    EXPECT_FALSE(contains_ignoring_case("C:\\asc\\x.txt", ".asc"));
}

}  // namespace
}  // namespace sorvane
