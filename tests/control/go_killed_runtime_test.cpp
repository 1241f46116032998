// "GO" of real IEC spectra with the real runtime, killed at seeded moments of the
// batch: every earlier result set is still there byte for byte, or replaced whole
// by a new result, and the user was told of what was not replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "control/command1.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "import/raw_file_types.h"
#include "platform/real_platform.h"
#include "support/killing_process.h"
#include "support/raw_texts.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;

constexpr int spectra = 24;
constexpr int temporary = 1;  // "CHN file conversion": no

std::string base_of(int index) {
    return "s" + std::to_string(100 + index);
}
std::string earlier_result(const std::string& base) {
    return "earlier result of " + base + "\r\n";
}
std::string earlier_plot(const std::string& base) {
    return "earlier plot of " + base + "\r\n";
}

class KilledRuntime : public ::testing::TestWithParam<unsigned> {
protected:
    TempFolder temp;
    const std::string raw = temp.path() + "raw/";
    const std::string res = temp.path() + "res/";
    const std::string sys = temp.path() + "sys";
    RealFileSystem files;
    RealProcess real_process;
    ScriptedUi ui;
    Form1 form;
    AnalysisSettings settings;
    Spectrum spectrum;

    void SetUp() override {
        for (const std::string& folder : {raw, res, sys + "/"}) fs::create_directories(folder);
        std::vector<fs::path> samples;
        for (const auto& entry : fs::directory_iterator(test_data_path("realdata/iec")))
            samples.push_back(entry.path());
        std::sort(samples.begin(), samples.end());
        for (int i = 0; i < spectra; ++i) {
            const std::string base = base_of(i);
            fs::copy_file(samples[static_cast<std::size_t>(i) % samples.size()],
                          raw + base + ".iec");
            // An earlier set: a result and a plot, bytes no analysis writes.
            std::ofstream(res + base + ".res", std::ios::binary) << earlier_result(base);
            std::ofstream(res + base + ".svg", std::ios::binary) << earlier_plot(base);
        }
        settings.system_dir = sys;
        settings.run_time_dir = fs::path(REAL_RUNTIME).parent_path().string() + "/";
        fill_type_list(form, files);
        set_default(form);
        show_folder_in_field(form.Text9[0], raw);
        show_folder_in_field(form.Text9[1], res);
        set_file_list_folder(form.File1[0], raw, files);
        select_type_position(form, position_of(type_of_name("iec")->code), files);
        select_option(form, OptionGroup::Option8, temporary);
        FileListBox& list = form.File1[0];
        for (std::size_t entry = 0; entry < list.count(); ++entry) list.set_selected(entry, true);
        ASSERT_EQ(list.selected_names().size(), static_cast<std::size_t>(spectra));
    }
};

TEST_P(KilledRuntime, EveryEarlierResultIsKeptOrReplacedWhole) {
    std::mt19937 seeded(GetParam());
    const std::chrono::milliseconds kill_after(std::uniform_int_distribution<int>(0, 240)(seeded));
    SCOPED_TRACE(testing::Message() << "killed " << kill_after.count() << " ms after its start");
    KillingProcess process(real_process, kill_after);
    const std::optional<BatchReport> report =
        Command1_Click(form, settings, spectrum, files, process, ui);
    ASSERT_TRUE(report.has_value());

    int kept = 0;
    for (int i = 0; i < spectra; ++i) {
        const std::string base = base_of(i);
        SCOPED_TRACE(base);
        ASSERT_TRUE(fs::exists(res + base + ".res")) << "an earlier result was lost";
        const std::string result = read_text(res + base + ".res");
        if (result == earlier_result(base)) {
            ++kept;
            EXPECT_EQ(read_text(res + base + ".svg"), earlier_plot(base));
        } else {
            // A whole new result: it ends with the flag legend, and no plot of the
            // earlier set stays beside it.
            EXPECT_NE(result.find("[flags]\r\n"), std::string::npos);
            EXPECT_EQ(result.find("analysed_range = -"), std::string::npos);
            EXPECT_FALSE(fs::exists(res + base + ".svg"));
        }
        EXPECT_FALSE(fs::exists(res + base + ".res.earlier"));
        EXPECT_FALSE(fs::exists(res + base + ".svg.earlier"));
    }
    EXPECT_FALSE(fs::exists(sys + "/sorvane.inf.aside"));
    EXPECT_EQ(report->earlier_kept, kept);
    EXPECT_EQ(static_cast<int>(report->missing_results.size()), kept);
    if (kept > 0) {
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_NE(ui.messages.back().text.find("ended without writing"), std::string::npos);
    }
}

// Moments from the very start to about the end of the batch (24 spectra take some
// 250 ms on two cores).
INSTANTIATE_TEST_SUITE_P(Seeds, KilledRuntime, ::testing::Values(1u, 7u, 42u, 2026u));

}  // namespace
}  // namespace sorvane
