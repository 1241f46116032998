#include "ui/result_entry.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// Only a ".res" entry (in any case) opens a result, joined to the list's folder.
TEST(ResultEntry, NamesTheResultFileOfAnEntry) {
    struct Case {
        const char* folder;
        const char* entry;
        char separator;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"/data/res", "a.res", '/', "/data/res/a.res"},
        {"/data/res/", "B.RES", '/', "/data/res/B.RES"},
        {"C:\\res", "a.Res", '\\', "C:\\res\\a.Res"},
        {"C:", "a.res", '\\', "C:\\a.res"},
        {"/data/res", "a.svg", '/', std::nullopt},
        {"/data/res", ".res", '/', std::nullopt},
        {"/data/res", "sorvane-run.log", '/', std::nullopt},
    };
    for (const Case& c : cases) {
        FileListBox list;
        list.folder = c.folder;
        list.entries = {c.entry};
        EXPECT_EQ(result_entry_path(list, 0, c.separator), c.expected) << c.entry;
        EXPECT_EQ(result_entry_path(list, 1, c.separator), std::nullopt);
    }
}

}  // namespace
}  // namespace sorvane
