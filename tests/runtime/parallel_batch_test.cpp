#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "run_batch.h"
#include "support/test_files.h"
#include "work_pool.h"

namespace sorvane {
namespace {

// Every file a folder holds, by name, and its bytes.
std::vector<std::pair<std::string, std::string>> folder_bytes(const FileSystem& fs,
                                                              const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs.list_files(folder, "*.*")) {
        std::string bytes;
        EXPECT_TRUE(fs.read_file(folder + entry.name, bytes).ok()) << entry.name;
        files.emplace_back(entry.name, bytes);
    }
    return files;
}

// The lines of a text, each without what changes from run to run: the milliseconds
// of the runtime's lines, the result folder, the time stamp that opens a run-log line.
std::vector<std::string> steady_lines(const std::string& text, const std::string& folder,
                                      std::size_t stamp_size = 0) {
    const std::regex milliseconds("[0-9.]+ ms");
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line.erase(0, std::min(stamp_size, line.size()));
        // The folder as it stands: a Windows path would not be a valid pattern.
        for (auto at = line.find(folder); at != std::string::npos; at = line.find(folder, at))
            line.replace(at, folder.size(), "~");
        lines.push_back(std::regex_replace(line, milliseconds, "~"));
    }
    return lines;
}

struct BatchRun {
    std::vector<std::pair<std::string, std::string>> results;
    std::vector<std::string> lines;    // of stdout, in order
    std::vector<std::string> run_log;  // sorted: workers append in the order they fail
};

// The real spectra with plots, count tables, identification and its report page, a
// name without a CHN file twice (each
// keeping an earlier result, so the run log is appended from two workers), a refused
// name and a name repeated in other case, on `workers` threads.
BatchRun run_real_spectra(unsigned workers) {
    TempFolder out;
    RealFileSystem fs;
    for (const char* kept : {"gone_a.res", "gone_b.res"})
        EXPECT_TRUE(fs.write_file(out.path() + kept, "earlier result\r\n").ok());
    NuclideSettings nuclides;
    nuclides.identify = true;
    nuclides.write_report = true;
    const std::string settings_path = out.path() + std::string(nuclide_settings_file_name);
    EXPECT_TRUE(fs.write_file(settings_path, render_nuclide_settings(nuclides)).ok());
    RunRequest request;
    request.system_dir = out.path();
    request.chn_dir = test_data_path("realdata/chn/");
    request.res_dir = out.path();
    request.options.plot = true;
    request.options.raw_data = analysis::RawDataOutput::csv;
    request.base_names = {"01122014152731-GT01122014182338-GA37",
                          "gone_a",
                          "1110C_NAA_cave_background_May_2017",
                          "../outside",
                          "1110C_NAA_cave_pottery",
                          "gone_b",
                          "Alcatraz14",
                          "ALCATRAZ14",
                          "Mendocino_07-10-13_Acq-10-10-13"};
    request.workers = workers;
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_some_failed) << log.str();
    BatchRun run;
    run.lines = steady_lines(log.str(), out.path());
    std::string run_log;
    EXPECT_TRUE(fs.read_file(out.path() + "sorvane-run.log", run_log).ok());
    run.run_log = steady_lines(run_log, out.path(), 20);  // "YYYY-MM-DD HH:MM:SS "
    std::sort(run.run_log.begin(), run.run_log.end());
    fs.remove_file(out.path() + "sorvane-run.log");
    fs.remove_file(out.path() + "sorvane.inf.read");  // holds the time of the run
    fs.remove_file(settings_path);
    run.results = folder_bytes(fs, out.path());
    return run;
}

// Analysed on several threads, every result file holds the same bytes as when the
// spectra are analysed one after the other, and the lines keep the names' order.
TEST(ParallelBatch, GivesTheBytesAndLinesOfTheSerialRun) {
    const BatchRun serial = run_real_spectra(1);
    ASSERT_EQ(serial.results.size(), 5u * 4 + 2);  // .res .svg .csv .html each, the two kept
    ASSERT_EQ(serial.lines.size(), 9u);            // 8 names and the summary
    EXPECT_EQ(serial.run_log.size(), 2u);
    for (unsigned workers : {2u, 3u, 16u}) {
        const BatchRun parallel = run_real_spectra(workers);
        EXPECT_EQ(parallel.lines, serial.lines) << workers << " workers";
        EXPECT_EQ(parallel.run_log, serial.run_log) << workers << " workers";
        ASSERT_EQ(parallel.results.size(), serial.results.size()) << workers << " workers";
        for (std::size_t i = 0; i < serial.results.size(); ++i) {
            EXPECT_EQ(parallel.results[i].first, serial.results[i].first);
            EXPECT_TRUE(parallel.results[i].second == serial.results[i].second)
                << serial.results[i].first << " differs with " << workers << " workers";
        }
    }
}

// Each index is delivered once, in order, after its work, for any number of workers.
TEST(RunInOrder, DeliversEveryIndexInOrderAfterItsWork) {
    constexpr std::size_t count = 200;
    for (unsigned workers : {0u, 1u, 2u, 7u, 500u}) {
        std::vector<std::atomic<bool>> worked(count);
        std::vector<std::size_t> delivered;
        bool delivered_before_work = false;
        run_in_order(
            count, workers, [&](std::size_t i) { worked[i] = true; },
            [&](std::size_t i) {
                if (!worked[i]) delivered_before_work = true;
                delivered.push_back(i);
            });
        std::vector<std::size_t> expected(count);
        for (std::size_t i = 0; i < count; ++i) expected[i] = i;
        EXPECT_EQ(delivered, expected) << workers << " workers";
        EXPECT_FALSE(delivered_before_work) << workers << " workers";
    }
}

// A failing piece of work stops the pool, and the caller gets the exception after
// every thread has ended; nothing after the failing index is delivered.
TEST(RunInOrder, PassesAnExceptionToTheCaller) {
    for (unsigned workers : {1u, 4u}) {
        std::atomic<std::size_t> last_delivered{0};
        EXPECT_THROW(run_in_order(
                         50, workers,
                         [](std::size_t i) {
                             if (i == 10) throw std::runtime_error("no memory");
                         },
                         [&](std::size_t i) { last_delivered = i; }),
                     std::runtime_error);
        EXPECT_LT(last_delivered.load(), 10u) << workers << " workers";
    }
}

// The number of workers: a positive number as given, anything else the machine's.
TEST(WorkerCount, TakesAPositiveNumberElseTheMachines) {
    const unsigned machine = worker_count(nullptr);
    EXPECT_GE(machine, 1u);
    const struct {
        const char* text;
        unsigned expected;
    } cases[] = {{"1", 1},         {"3", 3},        {"0", machine}, {"-2", machine},
                 {"two", machine}, {"4x", machine}, {"", machine}};
    for (const auto& c : cases) EXPECT_EQ(worker_count(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace sorvane
