// The same file operations against every FileSystem the program can be given: the
// in-memory one as a Windows and as a POSIX machine, and the real one of the build
// (Win32 under Windows or Wine, POSIX on Linux) in a temporary folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/real_platform.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// A file system and an empty folder on it, ending in the separator.
struct Disk {
    std::unique_ptr<FileSystem> fs;
    std::string root;
    std::unique_ptr<TempFolder> temp;  // removed with the disk
};

struct DiskKind {
    const char* name;
    std::function<Disk()> make;
};

Disk memory_disk(MemoryFileSystem::Flavour flavour, const std::string& root) {
    auto fs = std::make_unique<MemoryFileSystem>(flavour);
    fs->add_folder(root);
    return {std::move(fs), root, nullptr};
}

Disk real_disk() {
    auto temp = std::make_unique<TempFolder>();
    auto fs = std::make_unique<RealFileSystem>();
    std::string root = temp->path();
    // The temporary folder of the tests may end in "/" even where "\" is the separator.
    if (root.back() != fs->separator()) root.back() = fs->separator();
    return {std::move(fs), root, std::move(temp)};
}

const DiskKind disk_kinds[] = {
    {"MemoryWindows", [] { return memory_disk(MemoryFileSystem::Flavour::windows, "D:\\work\\"); }},
    {"MemoryPosix", [] { return memory_disk(MemoryFileSystem::Flavour::posix, "/work/"); }},
    {"Real", real_disk},
};

class FileSystemContract : public ::testing::TestWithParam<DiskKind> {
protected:
    void SetUp() override { disk = GetParam().make(); }
    FileSystem& fs() { return *disk.fs; }
    std::string at(const std::string& name) const { return disk.root + name; }
    std::string sub(const std::string& folder) const {
        return disk.root + folder + disk.fs->separator();
    }
    std::string read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(fs().read_file(path, bytes).ok()) << path;
        return bytes;
    }
    std::vector<std::string> names(const std::vector<FolderEntry>& entries) {
        std::vector<std::string> out;
        for (const FolderEntry& entry : entries) out.push_back(entry.name);
        return out;
    }
    Disk disk;
};

TEST_P(FileSystemContract, WrittenBytesAreReadBackExactly) {
    const std::string bytes("\xFF\xFF\xE7\x03\r\n\0\x1A end", 12);
    ASSERT_TRUE(fs().write_file(at("a.chn"), bytes).ok());
    EXPECT_EQ(read(at("a.chn")), bytes);
    EXPECT_TRUE(fs().file_exists(at("a.chn")));
    EXPECT_FALSE(fs().folder_exists(at("a.chn")));
}

TEST_P(FileSystemContract, TheLastNameIsFoundIgnoringCaseAsStored) {
    ASSERT_TRUE(fs().write_file(at("Spec.IEC"), "data").ok());
    EXPECT_EQ(read(at("spec.iec")), "data");
    EXPECT_EQ(fs().find_ignoring_case(disk.root, "SPEC.iec"), "Spec.IEC");
    EXPECT_EQ(fs().find_ignoring_case(disk.root, "other.iec"), std::nullopt);
    // Writing under another case replaces the same file rather than adding one.
    ASSERT_TRUE(fs().write_file(at("spec.iec"), "new").ok());
    EXPECT_EQ(fs().list_files(disk.root, "*.*").size(), 1u);
    EXPECT_EQ(read(at("SPEC.IEC")), "new");
}

TEST_P(FileSystemContract, ALongerOldFileIsReplacedWhole) {
    ASSERT_TRUE(fs().write_file(at("b.res"), std::string(5000, 'x')).ok());
    ASSERT_TRUE(fs().write_file(at("b.res"), "short").ok());
    EXPECT_EQ(read(at("b.res")), "short");
}

TEST_P(FileSystemContract, AMissingFolderIsToldFromAMissingFile) {
    std::string bytes = "stale";
    EXPECT_EQ(fs().read_file(at("none.asc"), bytes).status, FsStatus::file_not_found);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(fs().read_file(sub("gone") + "none.asc", bytes).status, FsStatus::path_not_found);
    const FsResult write = fs().write_file(sub("gone") + "b.chn", "x");
    EXPECT_EQ(write.status, FsStatus::path_not_found);
    EXPECT_NE(write.reason.find("gone"), std::string::npos) << write.reason;
    EXPECT_FALSE(fs().file_exists(sub("gone") + "b.chn"));
}

TEST_P(FileSystemContract, AFolderIsNeitherReadNorWrittenAsAFile) {
    ASSERT_TRUE(fs().create_folder(sub("dir")).ok());
    std::string bytes;
    EXPECT_EQ(fs().read_file(at("dir"), bytes).status, FsStatus::failed);
    EXPECT_FALSE(fs().write_file(at("dir"), "x").ok());
    EXPECT_TRUE(fs().folder_exists(at("dir")));
}

TEST_P(FileSystemContract, FilesAreListedByPatternSortedIgnoringCase) {
    for (const char* name : {"b.chn", "A.CHN", "c.res", "noext", "x.chn.bak"}) {
        ASSERT_TRUE(fs().write_file(at(name), "").ok());
    }
    ASSERT_TRUE(fs().create_folder(sub("sub.chn")).ok());
    EXPECT_EQ(names(fs().list_files(disk.root, "*.chn")),
              (std::vector<std::string>{"A.CHN", "b.chn"}));
    EXPECT_EQ(names(fs().list_files(disk.root, "*.*")),
              (std::vector<std::string>{"A.CHN", "b.chn", "c.res", "noext", "x.chn.bak"}));
    EXPECT_EQ(names(fs().list_files(disk.root, "*.res;*.chn")),
              (std::vector<std::string>{"A.CHN", "b.chn", "c.res"}));
    EXPECT_EQ(names(fs().list_folders(disk.root)), (std::vector<std::string>{"sub.chn"}));
}

TEST_P(FileSystemContract, FoldersAreCreatedWithTheirParents) {
    const std::string deep = sub("one") + "two" + fs().separator() + "three";
    ASSERT_TRUE(fs().create_folder(deep).ok());
    EXPECT_TRUE(fs().folder_exists(deep));
    EXPECT_TRUE(fs().create_folder(deep).ok()) << "an existing folder is fine";
    EXPECT_EQ(names(fs().list_folders(sub("one"))), (std::vector<std::string>{"two"}));
    ASSERT_TRUE(fs().write_file(at("plain"), "x").ok());
    EXPECT_FALSE(fs().create_folder(at("plain")).ok());
}

TEST_P(FileSystemContract, ARenameReplacesTheTargetInOneStep) {
    ASSERT_TRUE(fs().write_file(at("sorvane.inf"), "old").ok());
    ASSERT_TRUE(fs().write_file(at("sorvane.inf.tmp"), "new").ok());
    ASSERT_TRUE(fs().rename_file(at("sorvane.inf.tmp"), at("sorvane.inf")).ok());
    EXPECT_EQ(read(at("sorvane.inf")), "new");
    EXPECT_FALSE(fs().file_exists(at("sorvane.inf.tmp")));
    EXPECT_FALSE(fs().rename_file(at("sorvane.inf.tmp"), at("x")).ok());
}

TEST_P(FileSystemContract, RemovedFilesAreGoneAndHaveNoDate) {
    ASSERT_TRUE(fs().write_file(at("b.res"), "x").ok());
    EXPECT_TRUE(fs().modification_time(at("b.res")).has_value());
    ASSERT_TRUE(fs().remove_file(at("B.RES")).ok());
    EXPECT_FALSE(fs().file_exists(at("b.res")));
    EXPECT_FALSE(fs().modification_time(at("b.res")).has_value());
    EXPECT_EQ(fs().remove_file(at("b.res")).status, FsStatus::file_not_found);
}

TEST_P(FileSystemContract, NamesWithBlanksAndNonAsciiBytesRoundTrip) {
    // "é" in the local 8-bit code page, as the window passes names through.
    const std::vector<std::string> odd_names = {"with blank.asc", "caf\xE9.asc", "semi;colon.asc",
                                                "it's.asc"};
    for (const std::string& name : odd_names)
        ASSERT_TRUE(fs().write_file(at(name), name).ok()) << name;
    EXPECT_EQ(
        names(fs().list_files(disk.root, "*.asc")),
        (std::vector<std::string>{"caf\xE9.asc", "it's.asc", "semi;colon.asc", "with blank.asc"}));
    for (const std::string& name : odd_names) EXPECT_EQ(read(at(name)), name);
}

TEST_P(FileSystemContract, DriveRootsAndTheCurrentFolderEndInTheSeparator) {
    const std::vector<std::string> roots = fs().drive_roots();
    ASSERT_FALSE(roots.empty());
    for (const std::string& root : roots) EXPECT_EQ(root.back(), fs().separator()) << root;
    EXPECT_EQ(fs().current_folder().back(), fs().separator());
}

INSTANTIATE_TEST_SUITE_P(AllDisks, FileSystemContract, ::testing::ValuesIn(disk_kinds),
                         [](const ::testing::TestParamInfo<DiskKind>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace sorvane
