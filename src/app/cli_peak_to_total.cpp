#include <algorithm>
#include <cmath>
#include <iomanip>
#include <ostream>

#include "app/cli.h"
#include "corrections/peak_to_total.h"
#include "results/result_file.h"

namespace sorvane {
namespace {

constexpr const char* peak_to_total_usage =
    "usage: sorvanecli peak-to-total [--background BG.res] [--low-cut KEV] [--order N] "
    "--out PT.txt SPECTRUM.res...\n";

// A peak of the source's own photons is at least this share of its strongest one
// (Co-57: 136 keV beside 122 keV); weaker ones are taken as impurities.
constexpr double own_peak_share = 0.05;
// Flags of peaks that are no photon of the source: annihilation, escapes, sums.
constexpr std::string_view foreign_flags = "AEFS";

struct Options {
    std::string background, out;
    double low_cut_kev = 40.0;
    int order = 2;
    std::vector<std::string> spectra;
};

std::optional<Options> options_of(const std::vector<std::string>& args, std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        try {
            if (a == "--background" && has_value)
                options.background = args[++i];
            else if (a == "--out" && has_value)
                options.out = args[++i];
            else if (a == "--low-cut" && has_value)
                options.low_cut_kev = std::stod(args[++i]);
            else if (a == "--order" && has_value)
                options.order = std::stoi(args[++i]);
            else if (a.starts_with("--"))
                throw std::invalid_argument(a);
            else
                options.spectra.push_back(a);
        } catch (const std::exception&) {
            err << "sorvanecli: peak-to-total: \"" << a << "\" is not understood\n"
                << peak_to_total_usage;
            return std::nullopt;
        }
    }
    if (options.out.empty() || options.spectra.empty()) {
        err << peak_to_total_usage;
        return std::nullopt;
    }
    return options;
}

struct ReadSpectrum {
    corrections::ChannelCounts counts;
    std::vector<corrections::NetPeak> peaks;
};

// The counts, calibration, live time and peaks of a result file; a problem in words.
std::optional<ReadSpectrum> read_spectrum(const FileSystem& fs, const std::string& path,
                                          double low_cut_kev, std::string& problem) {
    std::string text;
    const FsResult read = fs.read_file(path, text);
    if (!read.ok()) {
        problem = read.reason;
        return std::nullopt;
    }
    const ResultModel result = read_result(text);
    const auto energy = energy_terms(result);
    if (!result.has_counts || !energy || !result.spectrum.live_time) {
        problem = "the result needs its [counts], an energy calibration and the live time";
        return std::nullopt;
    }
    ReadSpectrum spectrum;
    spectrum.counts = {result.counts, energy->c0, energy->c1, energy->c2,
                       *result.spectrum.live_time};
    // Areas net of the background the runtime took off (a room background's lines
    // are no photon of the source).
    std::vector<corrections::NetPeak> candidates;
    double strongest = 0.0;
    for (const auto& row : result.peaks.rows)
        if (row.area && row.energy && *row.energy >= low_cut_kev &&
            row.flags.find_first_of(foreign_flags) == std::string::npos) {
            candidates.push_back(
                {*row.energy, *row.area - row.background_counts.value_or(0.0),
                 std::hypot(row.d_area.value_or(0.0), row.d_background_counts.value_or(0.0))});
            strongest = std::max(strongest, candidates.back().area);
        }
    for (const auto& peak : candidates)
        if (peak.area >= own_peak_share * strongest) spectrum.peaks.push_back(peak);
    return spectrum;
}

}  // namespace

int run_peak_to_total(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                      std::ostream& err) {
    const auto options = options_of(args, err);
    if (!options) return 2;
    std::string problem;
    std::optional<ReadSpectrum> background;
    if (!options->background.empty()) {
        background = read_spectrum(fs, options->background, options->low_cut_kev, problem);
        if (!background) {
            err << "sorvanecli: " << options->background << ": " << problem << '\n';
            return 1;
        }
    }
    std::vector<corrections::PeakToTotalPoint> points;
    out << "spectrum  energy_keV  peak_to_total  d_peak_to_total\n";
    for (const auto& path : options->spectra) {
        const auto spectrum = read_spectrum(fs, path, options->low_cut_kev, problem);
        const auto point =
            spectrum ? corrections::peak_to_total_point(spectrum->counts,
                                                        background ? &background->counts : nullptr,
                                                        spectrum->peaks, options->low_cut_kev, path)
                     : std::nullopt;
        if (!point) {
            err << "sorvanecli: " << path << ": "
                << (spectrum ? "no peak of the source above the cut, or not less than the total"
                             : problem)
                << '\n';
            return 1;
        }
        out << path << "  " << std::setprecision(6) << point->energy_kev << "  " << point->ratio
            << "  " << point->d_ratio << '\n';
        points.push_back(*point);
    }
    std::sort(points.begin(), points.end(),
              [](const auto& a, const auto& b) { return a.energy_kev < b.energy_kev; });
    const auto curve = corrections::fit_peak_to_total(points, options->order);
    if (!curve) {
        err << "sorvanecli: peak-to-total: a curve needs two spectra or more\n";
        return 1;
    }
    const FsResult written = fs.write_file(options->out, corrections::peak_to_total_text(*curve));
    if (!written.ok()) {
        err << "sorvanecli: " << options->out << ": " << written.reason << '\n';
        return 1;
    }
    out << "curve of order " << curve->coefficients.size() - 1 << " written to " << options->out
        << '\n';
    return 0;
}

}  // namespace sorvane
