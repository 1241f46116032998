#pragma once

#include <string>
#include <string_view>

namespace sorvane {

class FileSystem;

// The runtime's file name; files are found ignoring case.
inline constexpr std::string_view runtime_program_name = "run_Tovalu.exe";

// Where the runtime shipped with the program may lie.
struct RuntimePlaces {
    std::string program_folder;        // the running program's folder (installed: bin/)
    std::string build_runtime_folder;  // the build tree's runtime folder; empty when installed
};

// The folder, ending in the separator, that holds the runtime shipped with the
// program: beside the program when installed, else the build's runtime folder;
// empty when neither holds it.
std::string bundled_runtime_dir(const FileSystem& files, const RuntimePlaces& places);

}  // namespace sorvane
