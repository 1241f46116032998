#include "pipeline/nuclide_step.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "corrections/coincidence_summing.h"
#include "nuclides/library_files.h"
#include "platform/system_folder.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

// The window over which the continuum under a line is estimated, in FWHM either side.
constexpr double continuum_half_width_fwhm = 4.0;
// Channels a line's counts spread over: +-1.25 FWHM holds 99.7 % of a Gaussian.
constexpr double line_width_fwhm = 2.5;

// The median of the counts around a channel: the continuum there, peaks mostly left out.
double continuum_at(std::span<const double> counts, double channel, double fwhm, int first,
                    int last) {
    const int half = std::max(3, static_cast<int>(std::ceil(continuum_half_width_fwhm * fwhm)));
    const int from = std::max(first, static_cast<int>(channel) - half);
    const int to = std::min(last, static_cast<int>(channel) + half);
    if (to < from) return 0.0;
    std::vector<double> window(counts.begin() + from, counts.begin() + to + 1);
    std::nth_element(window.begin(), window.begin() + window.size() / 2, window.end());
    return window[window.size() / 2];
}

// A single or double escape peak is a small part of its line's (a few per cent in
// coaxial germanium): its line holds at least this many times its counts. Pair
// production, which makes them, takes a visible share of a line's interactions only
// well above its 1022 keV threshold: single escapes are sought below lines from
// 1200 keV, double escapes below lines from 1600 keV.
constexpr double escape_parent_ratio = 10.0;
struct EscapeKind {
    double lost_kev;
    double least_parent_kev;
};
constexpr EscapeKind escape_kinds[] = {{corrections::annihilation_kev, 1200.0},
                                       {2.0 * corrections::annihilation_kev, 1600.0}};

// Whether the peak lies 511 or 1022 keV below a line that many times stronger.
bool escape_peak(const std::vector<nuclides::PeakForMatch>& peaks, std::size_t p) {
    const nuclides::PeakForMatch& peak = peaks[p];
    for (const nuclides::PeakForMatch& parent : peaks)
        for (const EscapeKind& kind : escape_kinds) {
            const double off = std::fabs(parent.energy - kind.lost_kev - peak.energy);
            if (parent.energy >= kind.least_parent_kev &&
                parent.area >= escape_parent_ratio * peak.area &&
                off <=
                    std::max(3.0 * std::hypot(parent.d_energy, peak.d_energy), 0.5 * peak.fwhm_kev))
                return true;
        }
    return false;
}

}  // namespace

// A nuclide seen at escape peaks alone is not identified from them: the peaks are a
// stronger line's, and go back unexplained.
void drop_escape_only(nuclides::Identification& identification,
                      const std::vector<nuclides::PeakForMatch>& peaks,
                      std::vector<std::string>& messages) {
    for (nuclides::NuclideOutcome& n : identification.nuclides) {
        const bool only_escapes =
            !n.peaks.empty() && std::all_of(n.peaks.begin(), n.peaks.end(), [&](int p) {
                return escape_peak(peaks, static_cast<std::size_t>(p));
            });
        if (!n.identified || !only_escapes) continue;
        n.identified = false;
        for (int p : n.peaks)
            if (static_cast<std::size_t>(p) < identification.peak_nuclide.size() &&
                identification.peak_nuclide[static_cast<std::size_t>(p)] == n.name)
                identification.peak_nuclide[static_cast<std::size_t>(p)].clear();
        messages.push_back(n.name +
                           ": its lines were found only at escape peaks of far stronger lines; "
                           "not identified");
    }
}

std::vector<std::string> bundled_library_folders(const FileSystem& fs) {
    const char s = fs.separator();
    const std::string beside = executable_folder();
    std::vector<std::string> folders;
    if (!beside.empty()) {
        folders.push_back(beside + "nuclides" + s);
        // The installed layout: bin/ beside share/, named without "..", as results show it.
        const std::string parent = folder_of_path(beside.substr(0, beside.size() - 1), s);
        if (!parent.empty())
            folders.push_back(parent + "share" + s + "sorvane" + s + "nuclides" + s);
    }
#ifdef SORVANE_NUCLIDE_DIR
    folders.push_back(SORVANE_NUCLIDE_DIR);
#endif
    return folders;
}

NuclideRun load_nuclide_run(const FileSystem& fs, const std::string& system_dir,
                            const std::vector<std::string>& bundled_folders, std::ostream& log) {
    NuclideRun run;
    const std::string path =
        as_folder(system_dir, fs.separator()) + std::string(nuclide_settings_file_name);
    if (!fs.file_exists(path)) return run;
    std::string text;
    const FsResult read = fs.read_file(path, text);
    if (!read.ok()) {
        run.problems.push_back("cannot read " + path + ": " + read.reason +
                               "; no nuclides identified");
    } else {
        NuclideSettingsRead parsed = parse_nuclide_settings(text);
        for (const auto& problem : parsed.problems) run.problems.push_back(path + " " + problem);
        run.settings = std::move(parsed.settings);
        run.active = run.settings.identify;
    }
    if (run.active) {
        run.library = nuclides::load_line_library(
            fs, run.settings, nuclides::find_bundled_library(fs, bundled_folders));
        for (const auto& problem : run.library.problems) run.problems.push_back(problem);
        if (run.library.lines.empty()) run.problems.push_back("the line library holds no line");
    }
    for (const auto& problem : run.problems) log << problem << "\n";
    return run;
}

NuclideFindings find_nuclides(const NuclideRun& run, const SpectrumAnalysis& analysis,
                              std::span<const double> counts,
                              const analysis::AnalysisOptions& options,
                              std::function<double(double)> relative_efficiency,
                              std::pair<double, double> efficiency_range_kev,
                              std::span<const int> background_peaks) {
    NuclideFindings findings;
    findings.messages = run.problems;
    std::vector<nuclides::PeakEvidence> evidence;
    for (const auto& peak : analysis.peaks)
        evidence.push_back({peak.fit.centroid, peak.fit.d_centroid, peak.fit.area, peak.fit.d_area,
                            peak.fwhm_kev, peak.flags});
    nuclides::QuadraticEnergy start;
    start.c0 = analysis.energy.c0;
    start.c1 = analysis.energy.c1;
    start.c2 = analysis.energy.c2;
    if (start.is_identity()) {
        findings.energy_calibrated = false;
        findings.messages.push_back(
            "no energy calibration (the spectrum's is 0, 1, 0): no nuclides identified");
        for (const auto& e : evidence)
            findings.peaks.push_back({e.channel, e.d_channel, e.area, e.d_area, e.fwhm_kev});
        return findings;
    }
    const double floor = run.settings.energy_tolerance_kev;
    findings.recalibration =
        nuclides::recalibrate_energy(evidence, run.library, start, floor, analysis.last);
    const nuclides::QuadraticEnergy& scale =
        findings.recalibration.done ? findings.recalibration.energy : start;
    if (!findings.recalibration.done)
        findings.messages.push_back(
            "energy not recalibrated: no strong library line was found among the peaks");
    for (const auto& e : evidence)
        findings.peaks.push_back(
            {scale.energy(e.channel),
             std::hypot(scale.slope(e.channel) * e.d_channel, scale.d_energy(e.channel)), e.area,
             e.d_area, e.fwhm_kev});
    nuclides::IdentifyOptions identify;
    identify.energy_tolerance_kev = floor;
    identify.low_kev = scale.energy(analysis.first);
    identify.high_kev = scale.energy(analysis.last);
    identify.nuclides_of_interest = run.settings.nuclides_of_interest;
    identify.relative_efficiency = std::move(relative_efficiency);
    identify.efficiency_low_kev = efficiency_range_kev.first;
    identify.efficiency_high_kev = efficiency_range_kev.second;
    // Currie's detection limit over the continuum a line would sit on, and at least
    // what the peak search needs to report it.
    identify.detectable_area = [&](double energy) {
        const double channel = scale.channel(energy);
        if (!(channel >= analysis.first && channel <= analysis.last))
            return std::numeric_limits<double>::infinity();
        const double fwhm = analysis.width.fwhm(channel);
        const double background =
            continuum_at(counts, channel, fwhm, analysis.first, analysis.last) * line_width_fwhm *
            fwhm;
        return std::max(2.71 + 4.65 * std::sqrt(background),
                        options.pkf_sens * std::sqrt(std::max(background, 1.0)));
    };
    for (int p : background_peaks)
        if (p >= 0 && p < static_cast<int>(findings.peaks.size()))
            findings.peaks[static_cast<std::size_t>(p)].background = true;
    findings.identification = nuclides::identify(findings.peaks, run.library, identify);
    drop_escape_only(findings.identification, findings.peaks, findings.messages);
    auto& owners = findings.identification.peak_nuclide;
    for (std::size_t p = 0; p < findings.peaks.size() && p < owners.size(); ++p)
        if (findings.peaks[p].background && owners[p].empty()) owners[p] = background_peak_name;
    return findings;
}

}  // namespace sorvane
