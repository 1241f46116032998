#include "run_batch.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <regex>
#include <sstream>

#include "contract/nuclide_settings.h"
#include "recording_file_system.h"
#include "spectrum/chn_writer.h"
#include "support/faulty_file_system.h"
#include "support/synthetic.h"

namespace sorvane {
namespace {

// A folder layout of one run: control folder, CHN folder and result folder.
class RunBatch : public ::testing::Test {
protected:
    RunBatch() {
        fs.memory.add_folder("/sys");
        fs.memory.add_folder("/chn");
        fs.memory.add_folder("/res");
        request.system_dir = "/sys";
        request.chn_dir = "/chn/";
        request.res_dir = "/res/";
        request.options.low = {200.0, 100.0, 2.0};
        request.options.high = {3000.0, 1500.0, 3.8};
    }

    // A 1024-channel spectrum with two peaks, stored as this program's CHN file.
    void add_spectrum(const std::string& base) {
        Spectrum spectrum;
        spectrum.clear_data();
        spectrum.chn_header.mca_number = 999;
        spectrum.chn_header.segment = 1;
        spectrum.chn_header.live_time = 100 * 50;
        spectrum.chn_header.real_time = 110 * 50;
        spectrum.chn_header.num_channels = 1024;
        const auto counts = test::noise_free(1024, 20.0, {{300.0, 10000.0}, {700.0, 4000.0}});
        for (std::size_t i = 0; i < counts.size(); ++i)
            spectrum.counts[i] = static_cast<std::int32_t>(std::lround(counts[i]));
        spectrum.chn_trailer.ecal_c1 = 0.5f;
        fs.memory.add_file("/chn/" + base + ".chn", encode_chn(spectrum));
    }

    std::string result(const std::string& base) {
        return fs.memory.contents("/res/" + base + ".res").value_or("");
    }

    int run() { return run_batch(request, fs, log); }

    test::RecordingFileSystem fs;
    RunRequest request;
    std::ostringstream log;
};

TEST_F(RunBatch, WritesTheReceiptWithTheProcessId) {
    run();
    const auto receipt = fs.memory.contents("/sys/sorvane.inf.read");
    ASSERT_TRUE(receipt);
    EXPECT_NE(receipt->find("process = " + std::to_string(getpid()) + "\r\n"), std::string::npos);
    EXPECT_EQ(receipt->rfind("time = ", 0), 0u);
}

TEST_F(RunBatch, TheReceiptComesBeforeAnyResult) {
    add_spectrum("a");
    request.base_names = {"a"};
    run();
    ASSERT_FALSE(fs.operations.empty());
    EXPECT_EQ(fs.operations.front(), "write /sys/sorvane.inf.read");
}

TEST_F(RunBatch, ResultIsWrittenBesideAndRenamed) {
    add_spectrum("a");
    request.base_names = {"a"};
    EXPECT_EQ(run(), run_all_analysed);
    const std::vector<std::string> expected{"write /sys/sorvane.inf.read", "write /res/a.res.tmp",
                                            "rename /res/a.res.tmp -> /res/a.res"};
    EXPECT_EQ(fs.operations, expected);
    EXPECT_FALSE(fs.memory.file_exists("/res/a.res.tmp"));
    EXPECT_TRUE(fs.memory.file_exists("/res/a.res"));
}

TEST_F(RunBatch, ResultHasItsSectionsInOrderWithCrLf) {
    add_spectrum("a");
    request.base_names = {"a"};
    run();
    const std::string text = result("a");
    ASSERT_FALSE(text.empty());
    std::size_t at = 0;
    for (const char* section : {"[spectrum]\r\n", "[calibration]\r\n", "[options]\r\n",
                                "[peaks]\r\n", "[messages]\r\n", "[flags]\r\n"}) {
        const auto found = text.find(section, at);
        ASSERT_NE(found, std::string::npos) << section;
        at = found;
    }
    EXPECT_EQ(text.find("[data]"), std::string::npos);
    // Every line ends in CR LF: no LF without its CR.
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "at " << i;
        }
    // The legend names every flag letter, one "letter = meaning" line each.
    for (const char* letter : {"M", "D", "W", "T", "N", "B", "A", "E", "F", "S", "L", "H"})
        EXPECT_NE(text.find(std::string("\r\n") + letter + " = "), std::string::npos) << letter;
    EXPECT_NE(text.find("live_time = 100\r\n"), std::string::npos);
    EXPECT_NE(text.find("channels = 1024\r\n"), std::string::npos);
    // The header's names in order, lined up over their columns with blanks.
    const auto header = text.find("[peaks]\r\n") + 9;
    std::istringstream names(text.substr(header, text.find("\r\n", header) - header));
    std::vector<std::string> columns;
    for (std::string name; names >> name;) columns.push_back(name);
    EXPECT_EQ(columns, (std::vector<std::string>{"no", "channel", "d_channel", "energy", "d_energy",
                                                 "fwhm_ch", "fwhm_kev", "area", "d_area",
                                                 "d_area_pct", "background", "cps", "d_cps",
                                                 "chi2r", "flags", "pair_with"}));
}

// With no nuclide settings file, or one with identification off, the result stays
// byte for byte what it was; with it on, a missing library is said in the result and
// once on the log, and the sections come between [peaks] and [messages].
TEST_F(RunBatch, NuclideSettingsOffLeaveTheResultAsItWas) {
    add_spectrum("a");
    request.base_names = {"a"};
    run();
    const std::string before = result("a");
    NuclideSettings settings;
    fs.memory.add_file("/sys/sorvane.inf.nuclides", render_nuclide_settings(settings));
    run();
    EXPECT_EQ(result("a"), before);
    settings.identify = true;
    settings.bundled_library = false;
    settings.library_files = {"/lib/missing.csv"};
    fs.memory.add_file("/sys/sorvane.inf.nuclides", render_nuclide_settings(settings));
    log.str("");
    run();
    const std::string text = result("a");
    const auto peaks = text.find("[peaks]"), nuclides = text.find("[nuclides]\r\n");
    const auto messages = text.find("[messages]");
    EXPECT_TRUE(peaks < nuclides && nuclides < messages) << text;
    EXPECT_NE(text.find(" nuclide\r\n"), std::string::npos);
    const std::string problem = "cannot read the line library /lib/missing.csv";
    EXPECT_NE(text.find(problem, messages), std::string::npos) << text;
    EXPECT_EQ(log.str().find(problem), log.str().rfind(problem)) << log.str();
}

// The fifteen columns of the layout and, after them, the unresolved pair's other member.
TEST_F(RunBatch, PeakLinesHaveSixteenColumns) {
    add_spectrum("a");
    request.base_names = {"a"};
    run();
    const std::string text = result("a");
    const auto begin = text.find("pair_with\r\n") + 11;
    const auto end = text.find("[messages]");
    std::istringstream peaks(text.substr(begin, end - begin));
    std::string line;
    int lines = 0;
    while (std::getline(peaks, line)) {
        std::istringstream fields(line);
        std::vector<std::string> columns;
        for (std::string f; fields >> f;) columns.push_back(f);
        ASSERT_EQ(columns.size(), 16u) << line;
        ++lines;
        // cps is area / live time (100 s).
        EXPECT_NEAR(std::stod(columns[11]), std::stod(columns[7]) / 100.0,
                    1e-6 * std::stod(columns[7]));
    }
    EXPECT_EQ(lines, 2);
}

// The raw file the front end converted is named beside the CHN file read.
TEST_F(RunBatch, ResultNamesTheRawFileItCameFrom) {
    add_spectrum("a");
    add_spectrum("b");
    request.base_names = {"a", "b"};
    request.sources = {{"A", 3, "IEC1455 (IEC) (*.iec)", "/raw/a.iec"}};
    run();
    EXPECT_NE(result("a").find("input = /chn/a.chn\r\nraw_file = /raw/a.iec\r\n"
                               "raw_type = 3 IEC1455 (IEC) (*.iec)\r\n"),
              std::string::npos);
    EXPECT_EQ(result("b").find("raw_file"), std::string::npos);
}

// The result names the CHN file as it is stored, whatever case the control file's
// name and the ".chn" the runtime adds have: a path a person can open.
TEST_F(RunBatch, ResultNamesTheChnFileAsStored) {
    struct Case {
        const char* stored;  // the file on disk
        const char* base;    // as "[file name]" gives it
        const char* input;
    };
    const Case cases[] = {
        {"B.CHN", "B", "input = /chn/B.CHN\r\n"},
        {"Mixed.Chn", "mixed", "input = /chn/Mixed.Chn\r\n"},
        {"plain.chn", "plain", "input = /chn/plain.chn\r\n"},
    };
    for (const Case& c : cases) {
        add_spectrum("stored");
        const std::string bytes = *fs.memory.contents("/chn/stored.chn");
        fs.memory.remove_file("/chn/stored.chn");
        fs.memory.add_file(std::string("/chn/") + c.stored, bytes);
        request.base_names = {c.base};
        EXPECT_EQ(run(), run_all_analysed) << c.stored << log.str();
        EXPECT_NE(result(c.base).find(c.input), std::string::npos) << result(c.base);
    }
}

// A spectrum that cannot be read still gives a result, its reason among the messages
// and on the log; a truncated file is refused, not read past its end.
TEST_F(RunBatch, AnUnreadableChnStillGivesAResultWithTheReason) {
    enum class Chn { missing, text, truncated };
    const struct {
        const char* base;
        Chn chn;
        const char* in_result;
        const char* on_log;
    } cases[] = {
        {"gone", Chn::missing, "flags\r\n[messages]\r\ncannot read /chn/gone.chn",
         "gone: failed: cannot read /chn/gone.chn"},
        {"bad", Chn::text,
         "[messages]\r\n/chn/bad.chn is no CHN file: shorter than the 32-byte CHN header\r\n",
         "bad: failed: /chn/bad.chn is no CHN file"},
        {"cut", Chn::truncated, "fit neither CHN layout", "cut: failed: /chn/cut.chn is no CHN"},
    };
    for (const auto& c : cases) {
        const std::string path = std::string("/chn/") + c.base + ".chn";
        if (c.chn == Chn::text) fs.memory.add_file(path, "not a spectrum");
        if (c.chn == Chn::truncated) {
            add_spectrum(c.base);
            const std::string whole = *fs.memory.contents(path);
            fs.memory.add_file(path, whole.substr(0, whole.size() - 100));
        }
        request.base_names = {c.base};
        log.str("");
        EXPECT_EQ(run(), run_some_failed) << c.base;
        EXPECT_NE(result(c.base).find(c.in_result), std::string::npos) << result(c.base);
        EXPECT_NE(log.str().find(c.on_log), std::string::npos) << log.str();
    }
}

TEST_F(RunBatch, AFailedWriteLeavesNoResultAndNoTemporaryFile) {
    add_spectrum("a");
    request.base_names = {"a"};
    fs.memory.limit_file_size(200);
    EXPECT_EQ(run(), run_some_failed);
    EXPECT_FALSE(fs.memory.file_exists("/res/a.res"));
    EXPECT_FALSE(fs.memory.file_exists("/res/a.res.tmp"));
    EXPECT_NE(log.str().find("a: failed: cannot write /res/a.res"), std::string::npos);
}

// A failure never replaces a result; a new result replaces the whole set.
TEST_F(RunBatch, AResultSetIsKeptOnFailureAndReplacedWhole) {
    const struct {
        bool earlier_res;
        const char* chn;  // "" for none
        bool plot;
        bool res_kept, svg_after, csv_after;
    } cases[] = {
        {true, "", false, true, true, true},                    // no spectrum: all kept
        {true, "good", false, false, false, false},             // new result, nothing else asked
        {true, "good", true, false, true, false},               // new result with its plot
        {false, "not a spectrum", false, false, false, false},  // a failure, nothing to keep
    };
    for (const auto& c : cases) {
        for (const char* name : {"/res/a.res", "/chn/a.chn", "/res/sorvane-run.log"})
            fs.memory.remove_file(name);
        if (c.earlier_res) fs.memory.add_file("/res/a.res", "earlier");
        fs.memory.add_file("/res/a.svg", "earlier");
        fs.memory.add_file("/res/a.csv", "earlier");
        if (std::string(c.chn) == "good")
            add_spectrum("a");
        else if (*c.chn != '\0')
            fs.memory.add_file("/chn/a.chn", c.chn);
        request.options.plot = c.plot;
        request.base_names = {"a"};
        log.str("");
        run();
        EXPECT_EQ(result("a") == "earlier", c.res_kept) << result("a");
        EXPECT_EQ(fs.memory.contents("/res/a.svg") == "earlier", c.res_kept);
        EXPECT_EQ(fs.memory.file_exists("/res/a.svg"), c.svg_after);
        EXPECT_EQ(fs.memory.file_exists("/res/a.csv"), c.csv_after);
        // date, time, file, reason
        const std::string run_log = fs.memory.contents("/res/sorvane-run.log").value_or("");
        EXPECT_EQ(std::regex_match(run_log, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "
                                                       "/chn/a\\.chn: cannot read .+; the earlier "
                                                       "result /res/a\\.res is kept\\n")),
                  c.res_kept)
            << run_log;
        EXPECT_EQ(log.str().find("/res/a.res is kept") != std::string::npos, c.res_kept);
    }
}

class RefusedName : public RunBatch, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedName, NothingIsWrittenForIt) {
    request.base_names = {GetParam()};
    EXPECT_EQ(run(), run_some_failed);
    EXPECT_EQ(fs.operations.size(), 1u);  // the receipt only
    EXPECT_NE(log.str().find(std::string(GetParam()) + ": refused: "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedName,
                         ::testing::Values(".", "..", "../x", "a/b", "a\\b", "c:x"));

TEST_F(RunBatch, DotsInsideANameAreOrdinary) {
    request.base_names = {"a..b"};
    run();
    EXPECT_TRUE(fs.memory.file_exists("/res/a..b.res"));
}

TEST_F(RunBatch, EmptyNamesAreSkippedAndRepeatedNamesAnalysedOnce) {
    add_spectrum("s");
    request.base_names = {"", "s", "S", "s", ""};
    EXPECT_EQ(run(), run_all_analysed);
    const std::string out = log.str();
    EXPECT_EQ(out.find("s: 2 peaks, "), 0u) << out;
    EXPECT_EQ(out.find("S:"), std::string::npos);
    EXPECT_NE(out.find("analysed 1 of 1 spectra, 2 peaks, 0 failed, 0 refused, "),
              std::string::npos);
}

TEST_F(RunBatch, RawDataCodesDecideTheDataRows) {
    add_spectrum("a");
    request.base_names = {"a"};
    request.options.cal_area_all = false;
    request.options.cal_area_from = 100;
    request.options.cal_area_to = 899;
    request.options.raw_data = analysis::RawDataOutput::analysed_range;
    run();
    std::string text = result("a");
    auto data = text.substr(text.find("[data]\r\n") + 8);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 800);
    EXPECT_EQ(data.rfind("100 ", 0), 0u);
    request.options.raw_data = analysis::RawDataOutput::all_channels;
    run();
    text = result("a");
    data = text.substr(text.find("[data]\r\n") + 8);
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 1024);
    // Channel 0 lies outside every fitted region: fit and background are "-".
    EXPECT_EQ(data.rfind("0 20 - -\r\n", 0), 0u);
    request.options.raw_data = analysis::RawDataOutput::csv;
    run();
    EXPECT_EQ(result("a").find("[data]"), std::string::npos);
    const auto csv = fs.memory.contents("/res/a.csv");
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->rfind("channel,counts,fit,background\r\n0,20,-,-\r\n", 0), 0u);
    EXPECT_EQ(std::count(csv->begin(), csv->end(), '\n'), 1025);
}

TEST_F(RunBatch, PlotOptionWritesAnSvg) {
    add_spectrum("a");
    request.base_names = {"a"};
    run();
    EXPECT_FALSE(fs.memory.file_exists("/res/a.svg"));
    request.options.plot = true;
    run();
    const auto svg = fs.memory.contents("/res/a.svg");
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->rfind("<svg ", 0), 0u);
    EXPECT_NE(svg->find("<polyline"), std::string::npos);
    EXPECT_NE(svg->find(">2</text>"), std::string::npos);  // the second peak's number
}

// A table or plot that cannot be written is said in the result among the
// analysis's messages, before those of identification, which comes after the plot.
TEST_F(RunBatch, ASideFileThatCannotBeWrittenIsSaidBeforeIdentification) {
    const struct {
        std::size_t failing_write;  // 1 the receipt, 2 the table, 3 the plot, 4 the result
        const char* said;
    } cases[] = {
        {2, "cannot write /res/a.csv: "},
        {3, "cannot write /res/a.svg: "},
    };
    add_spectrum("a");
    request.base_names = {"a"};
    request.options.raw_data = analysis::RawDataOutput::csv;
    request.options.plot = true;
    NuclideSettings settings;
    settings.identify = true;
    settings.bundled_library = false;
    settings.library_files = {"/lib/missing.csv"};
    fs.memory.add_file("/sys/sorvane.inf.nuclides", render_nuclide_settings(settings));
    for (const auto& c : cases) {
        FaultyFileSystem faulty{fs};
        faulty.full_from = c.failing_write;
        faulty.frees_again = true;
        EXPECT_EQ(run_batch(request, faulty, log), run_all_analysed);
        const std::string text = result("a");
        const auto said = text.find(c.said, text.find("[messages]\r\n"));
        ASSERT_NE(said, std::string::npos) << c.said << text;
        EXPECT_LT(said, text.find("cannot read the line library /lib/missing.csv")) << text;
    }
}

TEST(StartText, ReadsTheChnDateAndTime) {
    EXPECT_EQ(start_text("14May011", "090507"), "2001-05-14 09:05:07");
    EXPECT_EQ(start_text("31Dec99 ", "235959"), "1999-12-31 23:59:59");
    EXPECT_EQ(start_text(std::string(8, '\0'), std::string(6, '\0')), "");
}

}  // namespace
}  // namespace sorvane
