#include "platform/bundled_runtime.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace sorvane {
namespace {

TEST(BundledRuntime, InstalledBesideTheProgramElseTheBuildTree) {
    const std::string bin = "C:\\Sorvane\\bin\\", build = "D:\\build\\runtime\\";
    const struct {
        std::vector<std::string> runtimes;  // files present
        std::string build_folder;
        std::string expected;
    } cases[] = {
        {{bin + "run_Tovalu.exe", build + "run_Tovalu.exe"}, build, bin},
        {{build + "run_Tovalu.exe"}, build, build},
        {{bin + "RUN_TOVALU.EXE"}, build, bin},
        {{build + "run_Tovalu.exe"}, "D:\\build\\runtime", build},
        {{}, build, ""},
    };
    for (const auto& c : cases) {
        MemoryFileSystem fs(MemoryFileSystem::Flavour::windows);
        fs.add_folder(bin);
        for (const std::string& runtime : c.runtimes) fs.add_file(runtime, "MZ");
        EXPECT_EQ(bundled_runtime_dir(fs, {bin, c.build_folder}), c.expected) << c.expected;
    }
}

}  // namespace
}  // namespace sorvane
