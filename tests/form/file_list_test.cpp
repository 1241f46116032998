#include "form/file_list.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

TEST(FileList, ListsNormalMatchingFilesIgnoringCase) {
    MemoryFileSystem files;
    files.add_file("C:\\data\\spectra\\b.CHN", "x");
    files.add_file("C:\\data\\spectra\\a.chn", "x");
    files.add_file("C:\\data\\spectra\\c.iec", "x");
    files.add_file("C:\\data\\spectra\\h.chn", "x", true);
    files.add_file("C:\\data\\spectra\\s.chn", "x", false, true);
    files.add_folder("C:\\data\\spectra\\sub.chn");
    FileListBox list;
    list.pattern = "*.chn";
    set_file_list_folder(list, "C:\\data\\spectra", files);
    EXPECT_EQ(list.entries, (std::vector<std::string>{"a.chn", "b.CHN"}));

    set_file_list_pattern(list, "*.*", files);
    EXPECT_EQ(list.entries, (std::vector<std::string>{"a.chn", "b.CHN", "c.iec"}));
}

TEST(FileList, DriveRootWithoutSeparatorIsListed) {
    MemoryFileSystem files;
    files.add_file("D:\\x.chn", "x");
    FileListBox list;
    set_file_list_folder(list, "D:", files);
    EXPECT_EQ(list.entries, std::vector<std::string>{"x.chn"});
    set_file_list_folder(list, "D:\\", files);
    EXPECT_EQ(list.entries, std::vector<std::string>{"x.chn"});
}

TEST(FileList, PosixFolderIsListed) {
    MemoryFileSystem files(MemoryFileSystem::Flavour::posix);
    files.add_file("/data/x/one.IEC", "x");
    files.add_file("/data/x/.hidden.iec", "x", true);
    FileListBox list;
    list.pattern = "*.iec";
    set_file_list_folder(list, "/data/x", files);
    EXPECT_EQ(list.entries, std::vector<std::string>{"one.IEC"});
}

TEST(FileList, SeveralEntriesMayBeSelectedAndARefreshClearsThem) {
    MemoryFileSystem files;
    for (const char* name : {"a.chn", "b.chn", "c.chn", "d.chn"})
        files.add_file(std::string("C:\\d\\") + name, "");
    FileListBox list;
    set_file_list_folder(list, "C:\\d\\", files);
    ASSERT_EQ(list.count(), 4u);
    list.set_selected(3, true);
    list.set_selected(1, true);
    list.set_selected(9, true);  // no such entry: nothing happens
    EXPECT_TRUE(list.is_selected(1));
    EXPECT_FALSE(list.is_selected(2));
    EXPECT_FALSE(list.is_selected(9));
    EXPECT_EQ(list.selected_names(), (std::vector<std::string>{"b.chn", "d.chn"}));
    refresh_file_list(list, files);
    EXPECT_TRUE(list.selected_names().empty());
}

struct ListedAgainRow {
    const char* folder;
    std::vector<std::string> selected;
};

class ListedAgain : public ::testing::TestWithParam<ListedAgainRow> {};

// b.chn is selected in C:\d; then a folder is set again.
TEST_P(ListedAgain, OnlyAnotherFolderStartsUnselected) {
    MemoryFileSystem files;
    for (const char* name : {"a.chn", "b.chn"}) files.add_file(std::string("C:\\d\\") + name, "");
    files.add_file("C:\\d\\sub\\b.chn", "");
    FileListBox list;
    set_file_list_folder(list, "C:\\d", files);
    list.set_selected(1, true);
    files.add_file("C:\\d\\c.chn", "");  // appears before the list is listed again
    set_file_list_folder(list, GetParam().folder, files);
    EXPECT_EQ(list.selected_names(), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Table, ListedAgain,
                         ::testing::Values(ListedAgainRow{"C:\\d", {"b.chn"}},
                                           ListedAgainRow{"c:\\D\\", {"b.chn"}},
                                           ListedAgainRow{"C:\\d\\sub", {}},
                                           ListedAgainRow{"C:", {}}));

TEST(FileList, NoFolderListsNothing) {
    MemoryFileSystem files;
    files.add_file("C:\\a.chn", "");
    FileListBox list;
    refresh_file_list(list, files);
    EXPECT_EQ(list.count(), 0u);
    set_file_list_folder(list, "C:\\missing", files);
    EXPECT_EQ(list.count(), 0u);
}

}  // namespace
}  // namespace sorvane
