#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "contract/nuclide_settings.h"
#include "nuclides/identification.h"
#include "pipeline/analyse_spectrum.h"
#include "platform/file_system.h"
#include "results/result_model.h"

namespace sorvane {

// A peak of the background spectrum, as a count rate.
struct BackgroundPeak {
    double energy_kev = 0.0;
    double cps = 0.0;
    double d_cps = 0.0;
};

// The background spectrum the nuclide settings name, analysed once per run with the
// run's options; its peaks are taken off every spectrum's peaks before activities.
struct BackgroundSpectrum {
    std::string path;  // empty: the settings name none
    double live_time_s = 0.0;
    std::vector<BackgroundPeak> peaks;
    std::vector<std::string> problems;  // "cannot read PATH: why", ...: then no peaks
};

// Reads and analyses the settings' background CHN file; a relative path is taken
// from the control file's folder.
BackgroundSpectrum load_background(const FileSystem& fs, const std::string& system_dir,
                                   const NuclideSettings& settings,
                                   const analysis::AnalysisOptions& options);

// A spectrum's peak and the background's rate taken off it, in counts of its live time.
struct BackgroundTaken {
    int peak = -1;  // index into the analysis's peaks
    double counts = 0.0;
    double d_counts = 0.0;
};

struct BackgroundSubtraction {
    SpectrumAnalysis analysis;  // the peaks' areas net of the background
    std::vector<BackgroundTaken> taken;
};

// Each background peak is taken off the spectrum's peak nearest it, when their
// energies differ by no more than half the spectrum peak's FWHM (and at least
// background_match_floor_kev): area - cps_bg * t_live, its variance the sum of both.
// A net area may come out negative; it is kept, as the activity must be.
inline constexpr double background_match_floor_kev = 0.5;
BackgroundSubtraction subtract_background(const SpectrumAnalysis& analysis, double live_time_s,
                                          const BackgroundSpectrum& background);

// The peaks the background explains: their net area is less than
// background_only_sigmas of its standard deviation, so the sample's own share of
// them is not shown, and no nuclide should be identified from them.
inline constexpr double background_only_sigmas = 3.0;
std::vector<int> background_only_peaks(const BackgroundSubtraction& subtraction);

// `peaks` (one for each of the analysis's peaks, in its order) with the areas and
// their uncertainties net of what the background took off: the sample's own counts,
// which a sum peak's predicted counts are compared with.
std::vector<nuclides::PeakForMatch> net_areas(std::vector<nuclides::PeakForMatch> peaks,
                                              const BackgroundSubtraction& subtraction);
// The result's message that names them (numbered from 1, as [peaks] counts).
std::string background_only_message(std::span<const int> peaks);

// The [nuclides] key line that names the background and what was taken off.
std::pair<std::string, std::string> background_key(const BackgroundSpectrum& background,
                                                   const BackgroundSubtraction& subtraction);

// What the result says of the background: the key line, the counts taken off each
// peak in two columns at the end of [peaks], and the background's problems.
void add_background_results(ResultModel& model, const BackgroundSpectrum& background,
                            const BackgroundSubtraction& subtraction);

}  // namespace sorvane
