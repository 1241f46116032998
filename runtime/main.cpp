#include <cstdlib>
#include <iostream>
#include <string_view>

#include "control_input.h"
#include "platform/listed_folder.h"
#include "platform/real_platform.h"
#include "platform/text_helpers.h"
#include "run_batch.h"
#include "work_pool.h"

namespace {

constexpr std::string_view usage =
    "usage: run_Tovalu.exe SYSTEM_DIR\n"
    "Analyses the spectra listed in SYSTEM_DIR/sorvane.inf and writes one .res file\n"
    "per spectrum into the result folder named there.\n"
    "Spectra are analysed on every hardware thread at once; the environment variable\n"
    "SORVANE_RUNTIME_WORKERS=N sets another number (1: one after the other).\n"
    "Exit status: 0 all analysed, 1 some failed, 2 control file not read.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "run_Tovalu.exe (Sorvane) " << SORVANE_VERSION << "\n";
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << usage;
        return 0;
    }
    if (argc != 2) {
        std::cerr << usage;
        return sorvane::run_no_control_file;
    }
    sorvane::RealFileSystem fs;
    const std::string system_dir = argv[1];
    try {
        sorvane::ControlInput input = sorvane::request_from_control_file(system_dir, fs);
        if (!input.request) {
            std::cout << system_dir << ": " << input.error << "\n";
            return sorvane::run_no_control_file;
        }
        // The real file system may be used from several threads at once.
        input.request->workers = sorvane::worker_count(std::getenv("SORVANE_RUNTIME_WORKERS"));
        // One listing of the result folder for the run, not one per new file there.
        sorvane::ListedFolderFileSystem results(
            fs, sorvane::as_folder(input.request->res_dir, fs.separator()));
        return sorvane::run_batch(*input.request, results, std::cout);
    } catch (const std::exception& error) {
        std::cout << "run stopped: " << error.what() << "\n";
        return sorvane::run_some_failed;
    }
}
