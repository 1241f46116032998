// Runs the runtime's batch on CHN files named on the command line, with the
// options the synthetic spectra need, while the control file is not read yet.
#include <cstdlib>
#include <iostream>
#include <string>

#include "contract/raw_sources.h"
#include "platform/posix_file_system.h"
#include "run_batch.h"
#include "work_pool.h"

int main(int argc, char** argv) {
    sorvane::RunRequest request;
    auto& options = request.options;
    options.low = {200.0, 100.0, 2.0};
    options.high = {3000.0, 1500.0, 3.8};
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--gauss") {
            options.shape = sorvane::analysis::PeakShape::gauss;
        } else if (arg == "--sens" && i + 1 < argc) {
            options.pkf_sens = std::stod(argv[++i]);
        } else if (arg == "--bkg-shape" && i + 1 < argc) {
            options.bkg_shape = std::stod(argv[++i]);
        } else if (arg == "--fwhm" && i + 4 < argc) {
            // FWHM points (channel, width) low and high, for spectra of other detectors.
            options.low.channel = std::stod(argv[++i]);
            options.low.fwhm = std::stod(argv[++i]);
            options.high.channel = std::stod(argv[++i]);
            options.high.fwhm = std::stod(argv[++i]);
        } else {
            break;
        }
    }
    if (argc - i < 3) {
        std::cerr << "usage: analyse_chn [--gauss] [--sens S] [--bkg-shape K] [--fwhm CH1 W1 CH2 "
                     "W2] CHN_DIR "
                     "RES_DIR NAME...\n";
        return 2;
    }
    request.chn_dir = argv[i++];
    request.res_dir = argv[i++];
    request.system_dir = request.res_dir;
    for (; i < argc; ++i) request.base_names.emplace_back(argv[i]);
    // As many workers as the runtime takes (SORVANE_RUNTIME_WORKERS, else every core).
    request.workers = sorvane::worker_count(std::getenv("SORVANE_RUNTIME_WORKERS"));
    sorvane::PosixFileSystem fs;
    // The raw-source side file, when one lies in the result folder (the runtime takes a
    // converted IEC file's channel-energy table from the raw file it names).
    std::string sources;
    if (fs.read_file(request.res_dir + "/" + std::string(sorvane::raw_sources_file_name), sources)
            .ok())
        request.sources = sorvane::parse_raw_sources(sources);
    return sorvane::run_batch(request, fs, std::cout);
}
