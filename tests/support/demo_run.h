#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "run_batch.h"
#include "support/cli_run.h"

namespace sorvane {

// The bundled demo's Eu-152 run as demo/README.md tells it: identification, the
// spectrum's efficiency curve and the date its source was made.
inline NuclideSettings demo_eu152_settings(const std::string& demo) {
    NuclideSettings settings;
    settings.identify = true;
    settings.efficiency_file = demo + "iec_eu152_efficiency.txt";
    settings.reference_time = "2005-01-01 00:00:00";
    return settings;
}

// Converts the demo's Eu-152 spectrum into `folder` and analyses it there with
// `settings`, as a user does; true when both went through (a failure is reported).
inline bool analyse_demo_eu152(const std::string& demo, const std::string& folder,
                               const NuclideSettings& settings) {
    RealFileSystem fs;
    const CliRun converted =
        run_cli(fs, {"convert", "--type", "iec", "--out", folder, demo + "iec_eu152.iec"});
    EXPECT_EQ(converted.status, 0) << converted.err;
    const bool written = fs.write_file(folder + std::string(nuclide_settings_file_name),
                                       render_nuclide_settings(settings))
                             .ok();
    EXPECT_TRUE(written);
    RunRequest request;
    request.system_dir = request.chn_dir = request.res_dir = folder;
    request.base_names = {"iec_eu152"};
    std::ostringstream log;
    const int status = run_batch(request, fs, log);
    EXPECT_EQ(status, run_all_analysed) << log.str();
    return converted.status == 0 && written && status == run_all_analysed;
}

}  // namespace sorvane
