// "GO" of 200 real IEC spectra in the waiting mode, with the real runtime killed at
// 50 random moments of the batch. Before each run every spectrum has an earlier
// result set (a result and a plot, bytes no analysis writes); after it each set must
// be as it was or replaced whole by a new result. Prints one line per run and the
// totals; the exit status is 1 when any earlier result was lost or not told.
//   bench_kill_go [RUNS [SPECTRA [LONGEST_MS [SEED]]]]   (50 200 2500 2026)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include <unistd.h>

#include "app/console_ui.h"
#include "control/command1.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "import/raw_file_types.h"
#include "platform/real_platform.h"
#include "support/killing_process.h"

namespace {

namespace fs = std::filesystem;
using namespace sorvane;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string base_of(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "s%05d", index);
    return name;
}

struct Tally {
    int kept = 0, replaced = 0, lost = 0, torn = 0;  // torn: a set of mixed files
};

Tally check(const std::string& res, int spectra) {
    Tally tally;
    for (int i = 0; i < spectra; ++i) {
        const std::string base = base_of(i);
        if (!fs::exists(res + base + ".res")) {
            ++tally.lost;
            continue;
        }
        const std::string result = read_text(res + base + ".res");
        if (result == "earlier result of " + base + "\r\n") {
            ++tally.kept;
            if (read_text(res + base + ".svg") != "earlier plot of " + base + "\r\n") ++tally.torn;
        } else {
            ++tally.replaced;
            if (result.find("[flags]\r\n") == std::string::npos || fs::exists(res + base + ".svg"))
                ++tally.torn;
        }
        if (fs::exists(res + base + ".res.earlier") || fs::exists(res + base + ".svg.earlier"))
            ++tally.torn;
    }
    return tally;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 50;
    const int spectra = argc > 2 ? std::atoi(argv[2]) : 200;
    const int longest_ms = argc > 3 ? std::atoi(argv[3]) : 2500;
    std::mt19937 random(argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 2026u);

    const std::string root =
        fs::temp_directory_path().string() + "/sorvane-kill-go-" + std::to_string(::getpid()) + "/";
    const std::string raw = root + "raw/", res = root + "res/", sys = root + "sys";
    fs::create_directories(raw);
    fs::create_directories(sys);
    std::vector<fs::path> samples;
    for (const auto& entry : fs::directory_iterator(SORVANE_IEC_SAMPLES))
        samples.push_back(entry.path());
    std::sort(samples.begin(), samples.end());
    for (int i = 0; i < spectra; ++i)
        fs::copy_file(samples[static_cast<std::size_t>(i) % samples.size()],
                      raw + base_of(i) + ".iec");

    RealFileSystem files;
    RealProcess real_process;
    Tally total;
    int untold = 0;
    for (int run = 0; run < runs; ++run) {
        fs::remove_all(res);
        fs::create_directories(res);
        for (int i = 0; i < spectra; ++i) {
            const std::string base = base_of(i);
            std::ofstream(res + base + ".res", std::ios::binary)
                << "earlier result of " << base << "\r\n";
            std::ofstream(res + base + ".svg", std::ios::binary)
                << "earlier plot of " << base << "\r\n";
        }
        Form1 form;
        AnalysisSettings settings;
        settings.system_dir = sys;
        settings.run_time_dir = SORVANE_RUNTIME_FOLDER;
        fill_type_list(form, files);
        set_default(form);
        show_folder_in_field(form.Text9[0], raw);
        show_folder_in_field(form.Text9[1], res);
        set_file_list_folder(form.File1[0], raw, files);
        select_type_position(form, position_of(type_of_name("iec")->code), files);
        select_option(form, OptionGroup::Option8, 1);  // temporary CHN files: GO waits
        for (std::size_t entry = 0; entry < form.File1[0].count(); ++entry)
            form.File1[0].set_selected(entry, true);

        const std::chrono::milliseconds kill_after(
            std::uniform_int_distribution<int>(0, longest_ms)(random));
        KillingProcess process(real_process, kill_after);
        std::ostringstream said;
        ConsoleUi ui(said, true);
        Spectrum spectrum;
        const std::optional<BatchReport> report =
            Command1_Click(form, settings, spectrum, files, process, ui);
        const Tally tally = check(res, spectra);
        const bool told =
            tally.kept == 0 || (report && report->earlier_kept == tally.kept &&
                                said.str().find("ended without writing") != std::string::npos);
        if (!told) ++untold;
        std::printf("run %2d: killed at %5lld ms%s: %3d replaced, %3d kept, %d lost, %d torn%s\n",
                    run + 1, static_cast<long long>(kill_after.count()),
                    process.killed ? "" : " (ended first)", tally.replaced, tally.kept, tally.lost,
                    tally.torn, told ? "" : ", NOT TOLD");
        total.kept += tally.kept;
        total.replaced += tally.replaced;
        total.lost += tally.lost;
        total.torn += tally.torn;
    }
    fs::remove_all(root);
    std::printf(
        "%d runs of %d spectra: %d earlier results replaced whole, %d kept, %d lost, "
        "%d torn sets, %d runs that did not tell\n",
        runs, spectra, total.replaced, total.kept, total.lost, total.torn, untold);
    return total.lost == 0 && total.torn == 0 && untold == 0 ? 0 : 1;
}
