// The real Win32 window, driven by the messages its controls send when a person
// uses them (a click on a tab, a tree's "+" or a node, a list selection, a button,
// a drop from Explorer), with real folders and the runtime the build made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/win32_driver.h"
#include "ui/win32/win32_ui.h"

namespace sorvane {
namespace {

struct FilterCase {
    const char* filter;
    std::wstring expected;
};

TEST(Win32Ui, FiltersBecomeTheCommonDialogsPairs) {
    using namespace std::string_literals;
    const FilterCase cases[] = {
        {"option parm file(*.opa)|*.opa", L"option parm file(*.opa)\0*.opa\0\0"s},
        {"a|*.a|b|*.b;*.c", L"a\0*.a\0b\0*.b;*.c\0\0"s},
        {"", L"\0\0"s},
    };
    for (const FilterCase& given : cases)
        EXPECT_EQ(dialog_filter(given.filter), given.expected) << given.filter;
}

struct CaptionCase {
    const char* control;
    const wchar_t* caption;
};

// The captions of the window's controls, as the window is described.
const CaptionCase captions[] = {
    {"Command1", L"GO"},
    {"Command2", L"SET Default"},
    {"Frame1", L"CNTL Option"},
    {"Frame2", L"PK search"},
    {"Frame3", L"Smoothing"},
    {"Frame4", L"PK shape"},
    {"Frame5", L"Fitted data plot"},
    {"Frame6", L"Raw Data "},
    {"Frame7", L"BKG shape"},
    {"Frame8", L"Cal area"},
    {"Frame9", L"Energy Calib."},
    {"Frame10", L"PKfind sensitivity"},
    {"Frame12", L"Result(s) Output dir"},
    {"Frame13", L"Type of Raw Data File "},
    {"Frame14", L"CHN file conversion"},
    {"Frame15", L"Manual PK search ch(s)"},
    {"Frame16", L"Output Option (write of res)"},
    {"Frame17", L"Input Option (read of data file)"},
    {"Frame18", L"Inf. (max: 128 chrs, including CRLF)"},
    {"Option1_0", L"Auto"},
    {"Option1_1", L"Manual"},
    {"Option2_0", L"5 ch"},
    {"Option2_1", L"7 ch"},
    {"Option3_0", L"Gauss+exp"},
    {"Option3_1", L"Gauss"},
    {"Option4_0", L"none"},
    {"Option4_1", L"simple plot"},
    {"Option5_0", L"none"},
    {"Option5_1", L"output (with area cal)"},
    {"Option5_2", L"output (no area cal)"},
    {"Option5_3", L"make csv file (no area cal)"},
    {"Option6_0", L"All CH"},
    {"Option6_1", L"Manual setting"},
    {"Option7_0", L"Auto (Use file include parm) (Set CH,FWHM)"},
    {"Option7_1", L"Manual setting        (Set CH, Energy, FWHM) "},
    {"Option8_0", L"yes, make chn"},
    {"Option8_1", L"no"},
    {"Option8_2", L"yes, only conversion (no cal)"},
};

TEST(Win32Window, ControlsCarryTheirCaptions) {
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    for (const CaptionCase& expected : captions) {
        HWND control = day.find(expected.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(text_of(control), expected.caption) << expected.control;
    }
}

TEST(Win32Window, TabsAndFileMenuInOrder) {
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    HWND tabs = day.find("SSTab1");
    const std::vector<std::wstring> tab_captions = {L"Cal Option", L"I/O Option", L"Cal File(s)"};
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 3);
    for (int tab = 0; tab < 3; ++tab) {
        wchar_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, tab, &item);
        EXPECT_EQ(std::wstring(buffer), tab_captions[static_cast<std::size_t>(tab)]);
    }
    HMENU bar = GetMenu(day.view->handle());
    wchar_t title[32] = {};
    GetMenuStringW(bar, 0, title, 32, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(title), L"File");
    HMENU file = GetSubMenu(bar, 0);
    const std::vector<std::wstring> items = {L"read parm", L"save parm", L"",
                                             L"run time",  L"",          L"Exit"};
    ASSERT_EQ(GetMenuItemCount(file), static_cast<int>(items.size()));
    for (std::size_t at = 0; at < items.size(); ++at) {
        wchar_t text[32] = {};
        GetMenuStringW(file, static_cast<UINT>(at), text, 32, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), items[at]) << at;
    }
}

struct TabCase {
    int tab;
    std::vector<const char*> shown;
    std::vector<const char*> hidden;
};

TEST(Win32Window, EachTabShowsItsOwnControlsAndGoAlways) {
    const TabCase cases[] = {
        {0, {"Frame1", "Option1_0", "Text1", "Text8", "Command1"}, {"Combo1", "TreeView1_0"}},
        {1, {"Frame17", "Combo1", "Option5_3", "Command1"}, {"Frame1", "File1_1"}},
        {2, {"Frame11", "TreeView1_0", "File1_0", "Text9_1", "Command1"}, {"Text1", "Combo1"}},
    };
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    for (const TabCase& given : cases) {
        day.choose_tab(given.tab);
        for (const char* name : given.shown)
            EXPECT_TRUE(IsWindowVisible(day.find(name))) << given.tab << " " << name;
        for (const char* name : given.hidden)
            EXPECT_FALSE(IsWindowVisible(day.find(name))) << given.tab << " " << name;
    }
}

struct ClickCase {
    const char* radio;
    const char* control;
    bool visible;
    bool enabled;
};

TEST(Win32Window, OptionClicksRunTheirInterlocks) {
    const ClickCase cases[] = {
        {"Option1_1", "Frame15", true, true},   // "Manual" shows the manual peak frame
        {"Option1_0", "Frame15", false, true},  // "Auto" hides it
        {"Option6_1", "Text3_0", true, true},   // "Manual setting" enables the Cal area
        {"Option6_0", "Text3_1", true, false},  // "All CH" disables it
    };
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    day.choose_tab(0);
    for (const ClickCase& given : cases) {
        day.click(given.radio);
        EXPECT_EQ(SendMessageW(day.find(given.radio), BM_GETCHECK, 0, 0), BST_CHECKED)
            << given.radio;
        EXPECT_EQ(IsWindowVisible(day.find(given.control)) != FALSE, given.visible) << given.radio;
        EXPECT_EQ(IsWindowEnabled(day.find(given.control)) != FALSE, given.enabled) << given.radio;
    }
}

struct MarkCase {
    const char* field;
    std::size_t index;
    const wchar_t* typed;  // what the person types afterwards
    const wchar_t* mark_after;
};

// A field whose text was used otherwise shows the note; typing in it ends the mark
// unless the text typed is the one the note is about.
TEST(Win32Window, MarkedFieldsShowTheirNoteUntilEdited) {
    const MarkCase cases[] = {
        {"Text1", 0, L"3", L""},
        {"Text4_1", 1, L"2x", L"used as 2"},
    };
    for (const MarkCase& given : cases) {
        FirstStart day(BUILD_RUNTIME_DIR);
        day.start();
        TextBox& box = std::string(given.field) == "Text1" ? day.window.form.Text1
                                                           : day.window.form.Text4[given.index];
        box.text = "2x";
        box.used_as = "used as 2";
        box.used_as_text = "2x";
        day.view->sync();
        HWND field = day.find(given.field);
        EXPECT_EQ(text_of(field), L"2x");
        EXPECT_EQ(day.view->field_mark(field), L"used as 2") << given.field;
        SetWindowTextW(field, given.typed);  // the edit tells the window: EN_CHANGE
        EXPECT_EQ(from_wide(given.typed), box.text);
        EXPECT_EQ(day.view->field_mark(field), given.mark_after) << given.field;
    }
}

// Files dropped from Explorer on the raw list, as the shell hands them over.
HGLOBAL dropped_files(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths) names += to_wide(path) + L'\0';
    names += L'\0';
    const std::size_t size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

TEST(Win32Window, FilesDroppedOnTheRawListOpenTheirFolderSelected) {
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    // The list shows "*.iec" files: of the two dropped, only the IEC one is taken.
    day.choose_type("iec");
    HWND list = day.find("File1_0");
    SendMessageW(list, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(
                     dropped_files({day.demo + "\\iec_eu152.iec", day.demo + "\\simple_co60.asc"})),
                 0);
    EXPECT_TRUE(
        lower_equal(text_of(day.find("Text9_0")), L"open dir: " + to_wide(day.demo) + L"\\"))
        << from_wide(text_of(day.find("Text9_0")));
    const std::vector<std::string> entries = list_entries(list);
    std::vector<std::string> selected;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (SendMessageW(list, LB_GETSEL, at, 0) > 0) selected.push_back(entries[at]);
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"iec_eu152.iec"}));
    EXPECT_EQ(selected, (std::vector<std::string>{"iec_eu152.iec"}));
}

// A new user's first day: folders picked in the trees, demo files selected, "GO";
// results, the status line and the summary; Enter on a result opens its page;
// Exit, and the next start shows the same folders and type.
TEST(Win32FirstDay, GoOnDemoFilesThenExitAndStartAgain) {
    FirstStart day(BUILD_RUNTIME_DIR);
    day.start();
    ASSERT_TRUE(day.open_in_tree("TreeView1_0", day.demo));
    ASSERT_TRUE(day.open_in_tree("TreeView1_1", day.results));
    day.choose_type("simple");
    day.select_raw_files({"simple_co60.asc", "simple_cs137.asc"});
    day.click("Command1");
    day.pump();
    for (const auto& message : day.ui.messages) ADD_FAILURE() << message.text;
    EXPECT_TRUE(stdfs::exists(day.app_data + "\\Sorvane\\sorvane.inf"));
    EXPECT_NE(contents(day.results + "simple_co60.res").find("[peaks]"), std::string::npos);
    EXPECT_NE(contents(day.results + "simple_cs137.res").find("[peaks]"), std::string::npos);
    EXPECT_EQ(
        day.status_line().rfind("GO: 2 files converted, 0 failed; 2 of 2 results appeared", 0), 0u)
        << day.status_line();
    ASSERT_NE(day.view->summary_list(), nullptr);
    const std::vector<std::string> summary = list_entries(day.view->summary_list());
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0].rfind("simple_co60", 0), 0u) << summary[0];

    HWND results = day.find("File1_1");
    const std::vector<std::string> entries = list_entries(results);
    std::size_t co60 = entries.size();
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (entries[at] == "simple_co60.res") co60 = at;
    }
    ASSERT_LT(co60, entries.size());
    SendMessageW(results, LB_SETCARETINDEX, co60, FALSE);
    SendMessageW(results, WM_KEYDOWN, VK_RETURN, 0);
    // The page, else the plot, else the text: whichever this run wrote first in that order.
    std::string expected = day.results + "simple_co60.res";
    for (const char* extension : {".svg", ".html"}) {
        if (stdfs::exists(day.results + "simple_co60" + extension))
            expected = day.results + "simple_co60" + extension;
    }
    EXPECT_EQ(day.opened, (std::vector<std::string>{expected}));

    day.exit_by_menu();
    EXPECT_FALSE(IsWindow(day.view->handle()));
    day.start();
    EXPECT_TRUE(
        lower_equal(text_of(day.find("Text9_0")), L"open dir: " + to_wide(day.demo) + L"\\"))
        << from_wide(text_of(day.find("Text9_0")));
    EXPECT_TRUE(lower_equal(text_of(day.find("Text9_1")), L"open dir: " + to_wide(day.results)))
        << from_wide(text_of(day.find("Text9_1")));
    HWND tree = day.find("TreeView1_0");
    EXPECT_EQ(item_text(tree, TreeView_GetSelection(tree)), L"demo");
    const std::vector<std::string> raw = list_entries(day.find("File1_0"));
    EXPECT_NE(std::find(raw.begin(), raw.end(), "simple_co60.asc"), raw.end());
    EXPECT_EQ(day.window.form.Combo1.selection, position_of(type_of_name("simple")->code));
}

}  // namespace
}  // namespace sorvane
