#include "control_input.h"

#include <gtest/gtest.h>

#include <sstream>

#include "contract/control_file_format.h"
#include "spectrum/chn_writer.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// The runtime reads what the front end writes: the settings of a window and the
// base names, through the same control-file reader.
TEST(ControlInput, ReadsTheOptionsFoldersAndNamesTheFrontEndWrote) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/sys");
    fs.add_folder("/chn");
    fs.add_folder("/res");
    AnalysisSettings settings;
    settings.system_dir = "/sys";
    settings.chn_dir = "/chn/";
    settings.res_dir = "/res/";
    // PK search Manual, 7 ch, Gauss, plot, csv, Energy Manual, Cal area Manual.
    settings.cntl_option = {1, 1, 2, 1, 4, 0, 0, 1, 30, 0, 0, 0};
    settings.bkg_shape = 20.0;  // out of range: the runtime uses 10
    settings.pkf_sens = 4.5;
    settings.cal_area_from = 100;
    settings.cal_area_to = 900;
    settings.eng_cal_low = {200, 100, 2.0};
    settings.eng_cal_high = {3000, 1500, 3.8};
    settings.manual_pk_count = 2;
    settings.manual_pk_ch[0] = 300;
    settings.manual_pk_ch[1] = 700;
    fs.add_file("/sys/sorvane.inf", render_control_file(settings, {"a", "", "b"}));

    ControlInput input = request_from_control_file("/sys", fs);
    ASSERT_TRUE(input.request) << input.error;
    const RunRequest& request = *input.request;
    EXPECT_EQ(request.chn_dir, "/chn/");
    EXPECT_EQ(request.res_dir, "/res/");
    EXPECT_EQ(request.base_names, (std::vector<std::string>{"a", "", "b"}));
    const analysis::AnalysisOptions& options = request.options;
    EXPECT_TRUE(options.manual_search);
    EXPECT_EQ(options.smoothing_points, 7);
    EXPECT_EQ(options.shape, analysis::PeakShape::gauss);
    EXPECT_TRUE(options.plot);
    EXPECT_EQ(options.raw_data, analysis::RawDataOutput::csv);
    EXPECT_FALSE(options.energy_auto);
    EXPECT_FALSE(options.cal_area_all);
    EXPECT_EQ(options.bkg_shape, 10.0);
    EXPECT_EQ(options.pkf_sens, 4.5);
    EXPECT_EQ(options.cal_area_to, 900);
    EXPECT_EQ(options.high.energy, 1500);
    EXPECT_EQ(options.manual_peaks, (std::vector<double>{300, 700}));
}

TEST(ControlInput, AMissingControlFileIsNamedInTheError) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_folder("/sys");
    ControlInput input = request_from_control_file("/sys", fs);
    EXPECT_FALSE(input.request);
    EXPECT_NE(input.error.find("/sys/sorvane.inf"), std::string::npos) << input.error;
}

}  // namespace
}  // namespace sorvane
