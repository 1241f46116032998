// Real results, read back: the model a reader gets writes the runtime's bytes again
// (text -> model -> text) and reads back as the same model (model -> text -> model).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "results/result_file.h"
#include "results/result_writer.h"
#include "run_batch.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

bool same_channels(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
}

void expect_same(const ResultModel& a, const ResultModel& b, const std::string& name) {
    EXPECT_EQ(a.spectrum, b.spectrum) << name;
    EXPECT_EQ(a.calibration, b.calibration) << name;
    EXPECT_EQ(a.options, b.options) << name;
    EXPECT_EQ(a.peaks, b.peaks) << name;
    EXPECT_EQ(a.nuclide_keys, b.nuclide_keys) << name;
    EXPECT_EQ(a.nuclides, b.nuclides) << name;
    EXPECT_EQ(a.nuclide_lines, b.nuclide_lines) << name;
    EXPECT_EQ(a.unexplained_peaks, b.unexplained_peaks) << name;
    EXPECT_EQ(a.activity_budget, b.activity_budget) << name;
    EXPECT_EQ(a.messages, b.messages) << name;
    EXPECT_EQ(a.flag_legend, b.flag_legend) << name;
    EXPECT_EQ(a.regions, b.regions) << name;
    EXPECT_EQ(a.counts, b.counts) << name;
    EXPECT_EQ(a.data_channels, b.data_channels) << name;
    EXPECT_TRUE(same_channels(a.fit, b.fit)) << name;
    EXPECT_TRUE(same_channels(a.background, b.background)) << name;
}

TEST(ResultRoundTrip, RealResultsReadBackWhole) {
    struct Case {
        const char* what;
        bool activities;
        analysis::RawDataOutput raw_data;
    };
    const Case cases[] = {
        {"identification, every channel in [data]", false, analysis::RawDataOutput::all_channels},
        {"activities, the analysed range in [data]", true, analysis::RawDataOutput::analysed_range},
    };
    const std::vector<std::string> names = {"01122014152731-GT01122014182338-GA37",
                                            "1110C_NAA_cave_pottery", "Alcatraz14"};
    for (const Case& c : cases) {
        TempFolder out;
        RealFileSystem fs;
        NuclideSettings nuclides;
        nuclides.identify = true;
        if (c.activities) {
            nuclides.efficiency_file = test_data_path("../../demo/iec_eu152_efficiency.txt");
            nuclides.always_report = {"Cs-137"};
        }
        ASSERT_TRUE(fs.write_file(out.path() + std::string(nuclide_settings_file_name),
                                  render_nuclide_settings(nuclides))
                        .ok());
        RunRequest request;
        request.system_dir = out.path();
        request.chn_dir = test_data_path("realdata/chn/");
        request.res_dir = out.path();
        request.options.raw_data = c.raw_data;
        request.base_names = names;
        std::ostringstream log;
        EXPECT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
        for (const std::string& name : names) {
            std::string text;
            ASSERT_TRUE(fs.read_file(out.path() + name + ".res", text).ok()) << name;
            const ResultModel read = read_result(text);
            EXPECT_FALSE(read.nuclides.rows.empty()) << c.what << " " << name;
            EXPECT_EQ(read.nuclides.column("verdict").has_value(), c.activities) << c.what;
            EXPECT_TRUE(read.data_channels.has_value()) << c.what;
            EXPECT_TRUE(write_result(read) == text) << c.what << " " << name;
            expect_same(read_result(write_result(read)), read, name);
        }
    }
}

}  // namespace
}  // namespace sorvane
