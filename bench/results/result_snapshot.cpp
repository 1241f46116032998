// Writes every result file of three fixed runs of the real spectra into OUT_DIR, so
// that two builds can be compared byte for byte (bench/results/compare_results.sh):
//   plain/     plot, count table, identification and report page (the parallel-batch
//              test's run)
//   channels/  every channel's counts and fit in [data], no identification
//   activity/  the analysed range in [data], identification with the demo's
//              efficiency curve and a nuclide always reported, report page
// Usage: result_snapshot REALDATA_CHN_DIR DEMO_DIR OUT_DIR
#include <iostream>
#include <sstream>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "run_batch.h"

namespace {

const std::vector<std::string> real_names = {
    "01122014152731-GT01122014182338-GA37", "1110C_NAA_cave_background_May_2017",
    "1110C_NAA_cave_pottery", "Alcatraz14", "Mendocino_07-10-13_Acq-10-10-13"};

void run(sorvane::RealFileSystem& fs, const std::string& chn_dir, const std::string& out,
         const sorvane::NuclideSettings* nuclides, sorvane::analysis::RawDataOutput raw_data) {
    fs.create_folder(out);
    if (nuclides)
        fs.write_file(out + std::string(sorvane::nuclide_settings_file_name),
                      sorvane::render_nuclide_settings(*nuclides));
    sorvane::RunRequest request;
    request.system_dir = out;
    request.chn_dir = chn_dir;
    request.res_dir = out;
    request.options.plot = true;
    request.options.raw_data = raw_data;
    request.base_names = real_names;
    request.workers = 2;
    std::ostringstream log;
    sorvane::run_batch(request, fs, log);
    std::cout << log.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: result_snapshot REALDATA_CHN_DIR DEMO_DIR OUT_DIR\n";
        return 2;
    }
    const std::string chn = std::string(argv[1]) + "/";
    const std::string demo = std::string(argv[2]) + "/";
    const std::string out = std::string(argv[3]) + "/";
    sorvane::RealFileSystem fs;
    sorvane::NuclideSettings identify;
    identify.identify = true;
    identify.write_report = true;
    run(fs, chn, out + "plain/", &identify, sorvane::analysis::RawDataOutput::csv);
    run(fs, chn, out + "channels/", nullptr, sorvane::analysis::RawDataOutput::all_channels);
    sorvane::NuclideSettings activity = identify;
    activity.efficiency_file = demo + "iec_eu152_efficiency.txt";
    activity.always_report = {"Cs-137", "Co-60"};
    run(fs, chn, out + "activity/", &activity, sorvane::analysis::RawDataOutput::analysed_range);
    return 0;
}
