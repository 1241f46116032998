#include "ui/result_entry.h"

#include <gtest/gtest.h>

#include "form/option_groups.h"
#include "form/type_selector.h"
#include "support/memory_file_system.h"

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

TEST(ResultEntry, SummarisesTheSelectedResultsOrEveryOne) {
    FileListBox list;
    list.entries = {"a.res", "a.svg", "b.RES", "sorvane-run.log", "c.res"};
    list.selected = {false, false, false, false, false};
    EXPECT_EQ(summary_names(list), (std::vector<std::string>{"a", "b", "c"}));
    list.selected = {false, true, true, true, false};
    EXPECT_EQ(summary_names(list), (std::vector<std::string>{"b"}));
}

// Only a run that converted into temporary CHN files waited for its results.
TEST(ResultEntry, SummarisesARunThatWaitedForItsResults) {
    struct Case {
        int conversion;  // Option8: 0 make CHN, 1 temporary, 2 only conversion
        bool started;
        bool cancelled;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {1, true, false, {"a", "b"}},
        {0, true, false, {}},
        {1, false, false, {}},
        {1, true, true, {}},
    };
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    for (const Case& c : cases) {
        Form1 form;
        fill_type_list(form, fs);
        select_type_position(form, 2, fs);
        ASSERT_GT(selected_type_code(form), 1);
        select_option(form, OptionGroup::Option8, c.conversion);
        form.File1[0].entries = {"a.iec", "b.iec", "a.IEC", "c.iec"};
        form.File1[0].selected = {true, true, true, false};
        BatchReport report;
        report.runtime_started = c.started;
        report.cancelled = c.cancelled;
        EXPECT_EQ(waited_run_names(form, report), c.expected) << c.conversion;
    }
}

}  // namespace
}  // namespace sorvane
