#include "platform/bundled_runtime.h"

#include <gtest/gtest.h>

#include "platform/memory_file_system.h"

namespace sorvane {
namespace {

struct BundledCase {
    const char* what;
    std::vector<std::string> runtimes;  // files present
    RuntimePlaces places;
    std::string expected;
};

TEST(BundledRuntime, InstalledBesideTheProgramElseTheBuildTree) {
    const std::string bin = "C:\\Program Files\\Sorvane\\bin\\";
    const std::string build = "D:\\build\\runtime\\";
    const BundledCase cases[] = {
        {"installed", {bin + "run_Tovalu.exe", build + "run_Tovalu.exe"}, {bin, build}, bin},
        {"build tree", {build + "run_Tovalu.exe"}, {bin, build}, build},
        {"found ignoring case", {bin + "RUN_TOVALU.EXE"}, {bin, build}, bin},
        {"folder given without separator",
         {build + "run_Tovalu.exe"},
         {bin, "D:\\build\\runtime"},
         build},
        {"a folder of the runtime's name is no runtime", {}, {bin, build}, ""},
        {"none found", {}, {bin, build}, ""},
        {"nothing known", {build + "run_Tovalu.exe"}, {"", ""}, ""},
    };
    for (const BundledCase& c : cases) {
        MemoryFileSystem fs(MemoryFileSystem::Flavour::windows);
        fs.add_folder(bin);
        fs.add_folder(build);
        for (const std::string& runtime : c.runtimes) fs.add_file(runtime, "MZ");
        if (std::string(c.what).starts_with("a folder")) fs.add_folder(bin + "run_Tovalu.exe");
        EXPECT_EQ(bundled_runtime_dir(fs, c.places), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace sorvane
