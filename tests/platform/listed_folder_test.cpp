#include "platform/listed_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/memory_file_system.h"
#ifndef _WIN32
#include "platform/posix_file_system.h"
#endif
#include "support/counting_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

const std::string folder = "/res/";

class ListedFolder : public ::testing::Test {
protected:
    MemoryFileSystem disk{MemoryFileSystem::Flavour::posix};
    CountingFileSystem counted{disk};

    void SetUp() override {
        disk.add_file(folder + "Old.RES", "earlier");
        disk.add_file("/raw/a.iec", "raw");
    }
};

// Each path as the listed folder resolves it: an entry of the listing under its
// stored case, a new name as given, other folders and hidden names passed through.
TEST_F(ListedFolder, FindsNamesFromItsListingIgnoringCase) {
    ListedFolderFileSystem listed(counted, folder);
    struct Case {
        std::string path;
        bool exists;
        std::optional<std::string> found;  // find_ignoring_case in the folder
    };
    const Case cases[] = {
        {"/res/old.res", true, "Old.RES"},
        {"/res/OLD.res", true, "Old.RES"},
        {"/res/new.res", false, std::nullopt},
        {"/raw/A.IEC", true, std::nullopt},  // another folder: the wrapped lookup
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(listed.file_exists(c.path), c.exists);
        if (c.path.starts_with(folder)) {
            EXPECT_EQ(listed.find_ignoring_case(folder, c.path.substr(folder.size())), c.found);
        }
    }
    std::string bytes;
    ASSERT_TRUE(listed.read_file("/res/old.res", bytes).ok());
    EXPECT_EQ(bytes, "earlier");
    EXPECT_EQ(listed.read_file("/res/new.res", bytes).status, FsStatus::file_not_found);
}

// Thousands of new names cost one listing and no scan of the folder: what makes
// "GO" cost the same per file at any folder size.
TEST_F(ListedFolder, NewNamesCostNoScanOfTheFolder) {
    ListedFolderFileSystem listed(counted, folder);
    for (int i = 0; i < 500; ++i) {
        const std::string name = folder + "s" + std::to_string(i);
        ASSERT_FALSE(listed.file_exists(name + ".res"));
        ASSERT_TRUE(write_whole_file(listed, name + ".chn", "spectrum").ok());
        ASSERT_TRUE(listed.file_exists(name + ".CHN"));
    }
    EXPECT_EQ(counted.calls["list_files"], 1);
    EXPECT_EQ(counted.calls["find_ignoring_case"], 0);
    EXPECT_EQ(counted.calls["write_file"], 0) << "the ordinary write looks for other cases";
    EXPECT_EQ(counted.calls["file_exists"], 0);
    EXPECT_EQ(counted.calls["write_file_as_named"], 500);
    EXPECT_EQ(disk.list_files(folder, "*.chn").size(), 500u);
}

// A name of the listing keeps its stored case when written, renamed or removed.
TEST_F(ListedFolder, KeepsTheStoredCaseAndFollowsItsOwnChanges) {
    ListedFolderFileSystem listed(counted, folder);
    ASSERT_TRUE(listed.write_file("/res/old.res", "replaced").ok());
    EXPECT_EQ(disk.list_files(folder, "*.*").size(), 1u) << "no second file of another case";
    EXPECT_EQ(disk.contents("/res/Old.RES"), "replaced");
    ASSERT_TRUE(listed.rename_file("/res/old.res", "/res/old.res.earlier").ok());
    EXPECT_FALSE(listed.file_exists("/res/old.res"));
    EXPECT_TRUE(listed.file_exists("/res/OLD.RES.EARLIER"));
    ASSERT_TRUE(listed.remove_file("/res/old.res.earlier").ok());
    EXPECT_FALSE(disk.file_exists("/res/old.res.earlier"));
}

#ifndef _WIN32  // the real POSIX disk, which tells cases apart
// Files that someone else writes later: seen at once under the case asked for,
// under another case after a refresh (on a disk that tells cases apart).
TEST(ListedPosixFolder, SeesFilesOthersWriteUnderTheirCaseAndAfterARefresh) {
    TempFolder temp;
    PosixFileSystem disk;
    ListedFolderFileSystem listed(disk, temp.path());
    std::ofstream(temp.path() + "a.res") << "by the runtime";
    std::ofstream(temp.path() + "B.RES") << "by another runtime";
    EXPECT_TRUE(listed.file_exists(temp.path() + "a.res"));
    EXPECT_FALSE(listed.file_exists(temp.path() + "b.res"));
    listed.refresh();
    EXPECT_TRUE(listed.file_exists(temp.path() + "b.res"));
    std::string bytes;
    ASSERT_TRUE(listed.read_file(temp.path() + "b.res", bytes).ok());
    EXPECT_EQ(bytes, "by another runtime");
}

// The exact-name operations of the real file system never match another case.
TEST(PosixFileSystemAsNamed, TakesTheNameExactly) {
    TempFolder temp;
    PosixFileSystem fs;
    std::ofstream(temp.path() + "A.RES") << "upper";
    EXPECT_TRUE(fs.file_exists(temp.path() + "a.res"));
    EXPECT_FALSE(fs.file_exists_as_named(temp.path() + "a.res"));
    ASSERT_TRUE(fs.write_file_as_named(temp.path() + "a.res", "lower").ok());
    EXPECT_EQ(fs.list_files(temp.path(), "*.*").size(), 2u);
    ASSERT_TRUE(fs.rename_file_as_named(temp.path() + "a.res", temp.path() + "b.res").ok());
    EXPECT_TRUE(fs.file_exists_as_named(temp.path() + "b.res"));
    EXPECT_TRUE(fs.file_exists_as_named(temp.path() + "A.RES"));
}
#endif

}  // namespace
}  // namespace sorvane
