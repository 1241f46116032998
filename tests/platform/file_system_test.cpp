#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "platform/memory_file_system.h"

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

}  // namespace
}  // namespace sorvane
