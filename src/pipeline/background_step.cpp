#include "pipeline/background_step.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "contract/result_schema.h"
#include "results/result_writer.h"
#include "spectrum/chn_reader.h"

namespace sorvane {

BackgroundSpectrum load_background(const FileSystem& fs, const std::string& system_dir,
                                   const NuclideSettings& settings,
                                   const analysis::AnalysisOptions& options) {
    BackgroundSpectrum out;
    if (settings.background_spectrum.empty()) return out;
    out.path = settings.background_spectrum;
    out.path = path_from_folder(system_dir, out.path, fs.separator());
    std::string bytes;
    const FsResult read = fs.read_file(out.path, bytes);
    if (!read.ok()) {
        out.problems.push_back("cannot read the background spectrum " + out.path + ": " +
                               (read.reason.empty() ? "file does not exist" : read.reason));
        return out;
    }
    const ChnDecode decoded = decode_chn(bytes);
    if (!decoded.file) {
        out.problems.push_back("the background spectrum " + out.path +
                               " is no CHN file: " + decoded.reason);
        return out;
    }
    out.live_time_s = decoded.file->header.live_time / 50.0;  // 20 ms ticks
    if (!(out.live_time_s > 0.0)) {
        out.problems.push_back("the background spectrum " + out.path +
                               " has no live time: nothing is subtracted");
        return out;
    }
    std::vector<double> counts(decoded.file->counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = std::max(0, decoded.file->counts[i]);
    const SpectrumAnalysis analysis =
        analyse_spectrum(counts, decoded.file->energy_calibration, options);
    for (const ReportedPeak& peak : analysis.peaks)
        if (peak.fit.area > 0.0)
            out.peaks.push_back(
                {peak.energy, peak.fit.area / out.live_time_s, peak.fit.d_area / out.live_time_s});
    return out;
}

BackgroundSubtraction subtract_background(const SpectrumAnalysis& analysis, double live_time_s,
                                          const BackgroundSpectrum& background) {
    BackgroundSubtraction out{analysis, {}};
    if (!(live_time_s > 0.0)) return out;
    std::vector<bool> used(analysis.peaks.size(), false);
    for (const BackgroundPeak& b : background.peaks) {
        int nearest = -1;
        double nearest_off = 0.0;
        for (std::size_t p = 0; p < analysis.peaks.size(); ++p) {
            const ReportedPeak& peak = analysis.peaks[p];
            const double off = std::fabs(peak.energy - b.energy_kev);
            const double window = std::max(background_match_floor_kev, 0.5 * peak.fwhm_kev);
            if (!used[p] && off <= window && (nearest < 0 || off < nearest_off)) {
                nearest = static_cast<int>(p);
                nearest_off = off;
            }
        }
        if (nearest < 0) continue;
        used[static_cast<std::size_t>(nearest)] = true;
        analysis::FittedPeak& fit = out.analysis.peaks[static_cast<std::size_t>(nearest)].fit;
        const double counts = b.cps * live_time_s;
        const double d_counts = b.d_cps * live_time_s;
        fit.area -= counts;
        fit.d_area = std::hypot(fit.d_area, d_counts);
        out.taken.push_back({nearest, counts, d_counts});
    }
    std::sort(out.taken.begin(), out.taken.end(),
              [](const BackgroundTaken& a, const BackgroundTaken& b) { return a.peak < b.peak; });
    return out;
}

std::vector<int> background_only_peaks(const BackgroundSubtraction& subtraction) {
    std::vector<int> out;
    for (const BackgroundTaken& taken : subtraction.taken) {
        const analysis::FittedPeak& net =
            subtraction.analysis.peaks[static_cast<std::size_t>(taken.peak)].fit;
        if (!(net.area >= background_only_sigmas * net.d_area)) out.push_back(taken.peak);
    }
    return out;
}

std::vector<nuclides::PeakForMatch> net_areas(std::vector<nuclides::PeakForMatch> peaks,
                                              const BackgroundSubtraction& subtraction) {
    for (const BackgroundTaken& taken : subtraction.taken) {
        const auto p = static_cast<std::size_t>(taken.peak);
        if (p >= peaks.size() || p >= subtraction.analysis.peaks.size()) continue;
        peaks[p].area = subtraction.analysis.peaks[p].fit.area;
        peaks[p].d_area = subtraction.analysis.peaks[p].fit.d_area;
    }
    return peaks;
}

std::string background_only_message(std::span<const int> peaks) {
    std::string numbers;
    for (int p : peaks) numbers += (numbers.empty() ? "" : ", ") + std::to_string(p + 1);
    char rule[96];
    std::snprintf(rule, sizeof rule, "net area below %g standard deviations",
                  background_only_sigmas);
    return std::string(peaks.size() == 1 ? "peak " : "peaks ") + numbers +
           ": the background spectrum explains " + (peaks.size() == 1 ? "it" : "them") + " (" +
           rule + "); no nuclide is identified from " + (peaks.size() == 1 ? "it" : "them");
}

std::pair<std::string, std::string> background_key(const BackgroundSpectrum& background,
                                                   const BackgroundSubtraction& subtraction) {
    char text[96];
    std::snprintf(text, sizeof text, " (live time %.10g s, %zu peaks; taken off %zu peaks)",
                  background.live_time_s, background.peaks.size(), subtraction.taken.size());
    return {std::string(result_schema::nuclide_key::background), background.path + text};
}

void add_background_results(ResultModel& model, const BackgroundSpectrum& background,
                            const BackgroundSubtraction& subtraction) {
    // Identification names every optional peak column; these two stand only with a background.
    namespace column = result_schema::peak_column;
    auto& columns = model.peaks.columns;
    std::erase_if(columns, [](const std::string& name) {
        return name == column::background_counts || name == column::d_background_counts;
    });
    if (background.path.empty()) return;
    model.messages.insert(model.messages.end(), background.problems.begin(),
                          background.problems.end());
    if (!background.problems.empty()) return;
    model.nuclide_keys.push_back(background_key(background, subtraction));
    columns.emplace_back(column::background_counts);
    columns.emplace_back(column::d_background_counts);
    for (const BackgroundTaken& taken : subtraction.taken) {
        if (taken.peak < 0 || static_cast<std::size_t>(taken.peak) >= model.peaks.rows.size())
            continue;
        PeakRow& row = model.peaks.rows[static_cast<std::size_t>(taken.peak)];
        row.background_counts = taken.counts;
        row.d_background_counts = taken.d_counts;
    }
    round_to_written(model);  // the model holds its numbers as the file states them
}

}  // namespace sorvane
