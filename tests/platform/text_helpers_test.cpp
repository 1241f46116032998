#include "platform/text_helpers.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(TextHelpers, LowerTextChangesOnlyAsciiLetters) {
    EXPECT_EQ(lower_text("AbC.CHN_1"), "abc.chn_1");
    EXPECT_EQ(lower_text("\xC3\x89T\xC3\x89"), "\xC3\x89t\xC3\x89");  // bytes above 127 stay
}

TEST(TextHelpers, AsFolderAddsOneSeparatorWhereNoneEnds) {
    struct Case {
        const char* folder;
        char separator;
        const char* expected;
    };
    const Case cases[] = {
        {"", '\\', ""},  // no folder: a bare name stays relative
        {"C:\\data", '\\', "C:\\data\\"},
        {"C:\\data\\", '\\', "C:\\data\\"},
        {"C:/data/", '\\', "C:/data/"},  // a hand-written file may use "/" on Windows
        {"/home/u", '/', "/home/u/"},
        {"/", '/', "/"},
    };
    for (const Case& c : cases) EXPECT_EQ(as_folder(c.folder, c.separator), c.expected) << c.folder;
}

TEST(TextHelpers, TrimmedDropsTheGivenCharactersAtBothEndsOnly) {
    struct Case {
        const char* text;
        const char* blanks;  // nullptr: the default, blank, tab and CR
        const char* expected;
    };
    const Case cases[] = {
        {"  a b\t\r", nullptr, "a b"}, {"\t\r a\n", nullptr, "a\n"},  // LF is not in the default
        {"\t\r a\n", " \t\r\n", "a"},  {" \ta ", " ", "\ta"},
        {" \t\r ", nullptr, ""},       {"", nullptr, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.blanks ? trimmed(c.text, c.blanks) : trimmed(c.text), c.expected) << c.text;
}

TEST(TextHelpers, JoinedPutsTheSeparatorBetweenEachTwo) {
    using Texts = std::vector<std::string>;
    EXPECT_EQ(joined(Texts{}), "");
    EXPECT_EQ(joined(Texts{"Co-60"}), "Co-60");
    EXPECT_EQ(joined(Texts{"Co-60", "Cs-137", "K-40"}), "Co-60 Cs-137 K-40");
    EXPECT_EQ(joined(Texts{"a", "b"}, ", "), "a, b");
}

// A spectrum name goes into the plot and the report page as text, never as markup.
TEST(MarkupText, EscapesWhatMarkupWouldRead) {
    EXPECT_EQ(markup_text("Tom's <b>&\"x\""), "Tom&#39;s &lt;b&gt;&amp;&quot;x&quot;");
    EXPECT_EQ(markup_text("eu152 1"), "eu152 1");
}

}  // namespace
}  // namespace sorvane
