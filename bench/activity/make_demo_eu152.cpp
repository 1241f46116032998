// Remakes demo/iec_eu152.iec from a stated source: 20000 Bq of Eu-152 on
// 2005-01-01 00:00:00, counted from 2005-03-21 14:02:55 for 1800 s live time, seen
// through the stated curve demo/iec_eu152_efficiency.txt; every library line of
// Eu-152, the demo's continuum, Poisson noise with seed 152. The header lines of
// the IEC 1455 file are kept as they were.
//
// Usage: make_demo_eu152 SOURCE_DIR
#include <cstdio>
#include <iostream>
#include <random>
#include <sstream>

#include "activity/efficiency_storage.h"
#include "nuclides/library_files.h"
#include "platform/posix_file_system.h"
#include "synthetic_source.h"

int main(int argc, char** argv) {
    using namespace sorvane;
    if (argc != 2) {
        std::cerr << "usage: make_demo_eu152 SOURCE_DIR\n";
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    PosixFileSystem fs;
    NuclideSettings settings;
    const nuclides::LineLibrary library =
        nuclides::load_line_library(fs, settings, root + "data/nuclides/");
    const activity::LoadedEfficiency curve =
        activity::load_efficiency_file(fs, root + "demo/iec_eu152_efficiency.txt");
    if (!curve.curve || library.lines.empty()) {
        for (const auto& p : curve.problems) std::cerr << p << "\n";
        return 1;
    }
    std::string old;
    if (!fs.read_file(root + "demo/iec_eu152.iec", old).ok()) return 1;

    const double reference = *activity::seconds_of_date("2005-01-01 00:00:00");
    const double start = *activity::seconds_of_date("2005-03-21 14:02:55");
    bench::Detector detector;
    const std::vector<bench::TrueSource> sources = {{"Eu-152", 20000.0, start - reference}};
    std::mt19937_64 rng(152);
    const auto counts = bench::poisson_counts(
        bench::expected_spectrum(detector, sources, library, *curve.curve), rng);

    // The 58 header lines as they were, but the note on how the counts were made.
    std::string text;
    std::istringstream lines(old);
    std::string line;
    for (int n = 0; n < 58 && std::getline(lines, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (n == 6) line = "A004Made from 20000 Bq at 2005-01-01, see demo/README.md";
        text += line + "\r\n";
    }
    for (int first = 0; first < 4100; first += 5) {
        char row[80];
        int at = std::snprintf(row, sizeof row, "A004%6d", first);
        for (int ch = first; ch < first + 5; ++ch)
            at += std::snprintf(row + at, sizeof row - at, "%10lld",
                                ch < detector.channels ? static_cast<long long>(counts[ch]) : 0LL);
        text += std::string(row) + "\r\n";
    }
    if (!fs.write_file(root + "demo/iec_eu152.iec", text).ok()) return 1;
    return 0;
}
