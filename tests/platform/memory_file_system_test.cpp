#include "support/memory_file_system.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

std::vector<std::string> names(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> out;
    for (const FolderEntry& entry : entries) out.push_back(entry.name);
    return out;
}

TEST(MemoryFileSystem, PlaysAWindowsMachineWithThreeDrives) {
    MemoryFileSystem fs;
    EXPECT_EQ(fs.separator(), '\\');
    EXPECT_EQ(fs.drive_roots(), (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
    fs.add_file("D:\\Spectra\\Run1\\A.IEC", "abc");
    EXPECT_TRUE(fs.folder_exists("d:\\spectra\\"));
    EXPECT_TRUE(fs.folder_exists("D:\\Spectra\\Run1"));
    EXPECT_TRUE(fs.file_exists("d:\\SPECTRA\\run1\\a.iec"));
    EXPECT_EQ(fs.find_ignoring_case("D:\\spectra\\run1\\", "a.iec"), "A.IEC");
    EXPECT_EQ(names(fs.list_folders("D:\\")), (std::vector<std::string>{"Spectra"}));
}

TEST(MemoryFileSystem, TellsAMissingFolderFromAMissingFile) {
    MemoryFileSystem fs;
    fs.add_folder("C:\\data");
    std::string bytes;
    EXPECT_EQ(fs.read_file("C:\\data\\none.asc", bytes).status, FsStatus::file_not_found);
    EXPECT_EQ(fs.read_file("C:\\gone\\none.asc", bytes).status, FsStatus::path_not_found);
    EXPECT_EQ(fs.write_file("C:\\gone\\x.chn", "x").status, FsStatus::path_not_found);
}

TEST(MemoryFileSystem, ListsNormalFilesByPatternSortedIgnoringCase) {
    MemoryFileSystem fs;
    fs.add_file("C:\\d\\b.chn", "");
    fs.add_file("C:\\d\\A.CHN", "");
    fs.add_file("C:\\d\\c.asc", "");
    fs.add_file("C:\\d\\hidden.chn", "", true);
    fs.add_file("C:\\d\\system.chn", "", false, true);
    fs.add_folder("C:\\d\\sub.chn");
    fs.add_file("C:\\d\\sub.chn\\inner.chn", "");
    fs.add_hidden_folder("C:\\d\\cache");
    EXPECT_EQ(names(fs.list_files("C:\\d\\", "*.chn")),
              (std::vector<std::string>{"A.CHN", "b.chn"}));
    EXPECT_EQ(names(fs.list_files("C:\\d\\", "*.*")),
              (std::vector<std::string>{"A.CHN", "b.chn", "c.asc"}));
    EXPECT_EQ(names(fs.list_folders("C:\\d\\")), (std::vector<std::string>{"cache", "sub.chn"}));
}

TEST(MemoryFileSystem, WritesReplaceRenameAndFailWithoutLeavingAFile) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    EXPECT_EQ(fs.drive_roots(), (std::vector<std::string>{"/"}));
    fs.add_folder("/data/");
    ASSERT_TRUE(fs.write_file("/data/a.chn", "long old content").ok());
    ASSERT_TRUE(fs.write_file("/data/A.chn", "new").ok());
    EXPECT_EQ(fs.contents("/data/a.chn"), "new");
    ASSERT_TRUE(fs.rename_file("/data/a.chn", "/data/b.chn").ok());
    EXPECT_FALSE(fs.file_exists("/data/a.chn"));
    EXPECT_EQ(fs.contents("/data/b.chn"), "new");
    fs.limit_file_size(2);
    EXPECT_EQ(fs.write_file("/data/b.chn", "too long").status, FsStatus::failed);
    EXPECT_FALSE(fs.file_exists("/data/b.chn"));
    EXPECT_TRUE(fs.remove_file("/data/nothing").status == FsStatus::file_not_found);
}

}  // namespace
}  // namespace sorvane
