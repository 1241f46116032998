#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

TEST(AbsolutePath, RelativePathsJoinTheCurrentFolder) {
    using enum MemoryFileSystem::Flavour;
    const struct {
        MemoryFileSystem::Flavour flavour;
        const char* path;
        const char* expected;
    } cases[] = {
        {posix, "./build/demo/", "/src/build/demo/"},         {posix, "/tmp/demo/", "/tmp/demo/"},
        {windows, "build\\demo\\", "C:\\src\\build\\demo\\"}, {windows, "D:\\demo\\", "D:\\demo\\"},
        {windows, "\\\\host\\share\\", "\\\\host\\share\\"},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs(c.flavour);
        fs.set_current_folder(c.flavour == posix ? "/src/" : "C:\\src\\");
        EXPECT_EQ(absolute_path(c.path, fs), c.expected) << c.path;
    }
}

// A settings file's paths: a relative one from the settings file's folder, a rooted
// one of either kind as it is (the file may come from the other platform).
TEST(PathFromFolder, RelativePathsJoinTheSettingsFolder) {
    const struct {
        char separator;
        const char* folder;
        const char* path;
        const char* expected;
    } cases[] = {
        {'/', "/lab", "eff.txt", "/lab/eff.txt"},
        {'/', "/lab/", "curves/eff.txt", "/lab/curves/eff.txt"},
        {'/', "/lab", "/srv/eff.txt", "/srv/eff.txt"},
        {'/', "/lab", "C:\\curves\\eff.txt", "C:\\curves\\eff.txt"},
        {'\\', "C:\\lab", "eff.txt", "C:\\lab\\eff.txt"},
        {'\\', "C:\\lab", "\\\\host\\eff.txt", "\\\\host\\eff.txt"},
        {'/', "", "eff.txt", "eff.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(path_from_folder(c.folder, c.path, c.separator), c.expected) << c.path;
}

// A path typed on Windows may use "/" as well; a POSIX name may hold a backslash.
TEST(PathParts, SplitAtTheLastSeparatorOfTheSystem) {
    const struct {
        char separator;
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {'/', "/data/eu152.iec", "/data/", "eu152.iec"},
        {'/', "/data/a\\b.iec", "/data/", "a\\b.iec"},
        {'\\', "C:\\data\\eu152.iec", "C:\\data\\", "eu152.iec"},
        {'\\', "C:/data/../demo/eu152.iec", "C:/data/../demo/", "eu152.iec"},
        {'\\', "C:\\data/x\\eu152.iec", "C:\\data/x\\", "eu152.iec"},
        {'\\', "eu152.iec", "", "eu152.iec"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folder_of_path(c.path, c.separator), c.folder) << c.path;
        EXPECT_EQ(name_of_path(c.path, c.separator), c.name) << c.path;
    }
}

}  // namespace
}  // namespace sorvane
