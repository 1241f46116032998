#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "platform/memory_file_system.h"

namespace sorvane {
namespace {

TEST(AbsolutePath, RelativePathsJoinTheCurrentFolder) {
    using Flavour = MemoryFileSystem::Flavour;
    struct Case {
        Flavour flavour;
        const char* current;
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {Flavour::posix, "/home/ann/src/", "build/demo/", "/home/ann/src/build/demo/"},
        {Flavour::posix, "/home/ann/src/", "./build/demo/", "/home/ann/src/build/demo/"},
        {Flavour::posix, "/home/ann/src/", "/tmp/demo/", "/tmp/demo/"},
        {Flavour::windows, "C:\\src\\", "build\\demo\\", "C:\\src\\build\\demo\\"},
        {Flavour::windows, "C:\\src\\", ".\\demo\\", "C:\\src\\demo\\"},
        {Flavour::windows, "C:\\src\\", "D:\\demo\\", "D:\\demo\\"},
        {Flavour::windows, "C:\\src\\", "\\\\host\\share\\", "\\\\host\\share\\"},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs(c.flavour);
        fs.set_current_folder(c.current);
        EXPECT_EQ(absolute_path(c.path, fs), c.expected) << c.path;
    }
}

}  // namespace
}  // namespace sorvane
