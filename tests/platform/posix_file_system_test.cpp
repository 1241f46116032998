#include "platform/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/test_files.h"

namespace sorvane {
namespace {

void make_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(PosixFileSystem, FindsNamesIgnoringCase) {
    TempFolder temp;
    PosixFileSystem fs;
    make_file(temp.path() + "Spec.IEC", "data");
    std::string bytes;
    ASSERT_TRUE(fs.read_file(temp.path() + "spec.iec", bytes).ok());
    EXPECT_EQ(bytes, "data");
    EXPECT_TRUE(fs.file_exists(temp.path() + "SPEC.iec"));
    EXPECT_EQ(fs.find_ignoring_case(temp.path(), "spec.iec"), "Spec.IEC");
    // Writing under another case replaces the same file rather than adding one.
    ASSERT_TRUE(fs.write_file(temp.path() + "spec.iec", "new").ok());
    EXPECT_EQ(fs.list_files(temp.path(), "*.*").size(), 1u);
}

TEST(PosixFileSystem, TellsAMissingFolderFromAMissingFile) {
    TempFolder temp;
    PosixFileSystem fs;
    std::string bytes;
    EXPECT_EQ(fs.read_file(temp.path() + "none.asc", bytes).status, FsStatus::file_not_found);
    EXPECT_EQ(fs.read_file(temp.path() + "gone/none.asc", bytes).status, FsStatus::path_not_found);
    EXPECT_EQ(fs.read_file(temp.path(), bytes).status, FsStatus::failed);  // a folder
}

TEST(PosixFileSystem, ListsNormalVisibleFilesAndEveryFolder) {
    TempFolder temp;
    PosixFileSystem fs;
    make_file(temp.path() + "b.chn", "");
    make_file(temp.path() + "A.CHN", "");
    make_file(temp.path() + ".hidden.chn", "");
    ::mkdir((temp.path() + "sub.chn").c_str(), 0755);
    ::mkdir((temp.path() + ".git").c_str(), 0755);
    auto files = fs.list_files(temp.path(), "*.chn");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "A.CHN");
    EXPECT_EQ(files[1].name, "b.chn");
    // Folder trees list hidden folders too, so a folder below one can be opened.
    auto folders = fs.list_folders(temp.path());
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].name, ".git");
    EXPECT_EQ(folders[1].name, "sub.chn");
}

TEST(PosixFileSystem, RenamesRemovesAndDates) {
    TempFolder temp;
    PosixFileSystem fs;
    ASSERT_TRUE(fs.write_file(temp.path() + "a.tmp", "x").ok());
    EXPECT_TRUE(fs.modification_time(temp.path() + "a.tmp").has_value());
    ASSERT_TRUE(fs.rename_file(temp.path() + "a.tmp", temp.path() + "a.inf").ok());
    EXPECT_FALSE(fs.file_exists(temp.path() + "a.tmp"));
    ASSERT_TRUE(fs.remove_file(temp.path() + "A.INF").ok());
    EXPECT_FALSE(fs.modification_time(temp.path() + "a.inf").has_value());
    EXPECT_EQ(fs.remove_file(temp.path() + "a.inf").status, FsStatus::file_not_found);
    EXPECT_EQ(fs.current_folder().back(), '/');
}

}  // namespace
}  // namespace sorvane
