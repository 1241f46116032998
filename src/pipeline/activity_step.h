#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "activity/characteristic_limits.h"
#include "activity/efficiency_curve.h"
#include "activity/nuclide_activity.h"
#include "contract/nuclide_settings.h"
#include "pipeline/analyse_spectrum.h"
#include "pipeline/line_corrections.h"
#include "pipeline/nuclide_step.h"
#include "pipeline/sum_peaks.h"
#include "platform/file_system.h"
#include "results/result_model.h"

namespace sorvane {

// One library line of a nuclide, and the peak identification gave it (or none).
struct CandidateLine {
    double energy_kev = 0.0;
    double probability = 0.0;  // per decay
    double d_probability = 0.0;
    int peak = -1;            // index into SpectrumAnalysis::peaks
    bool shared = false;      // its peak holds another nuclide's line too: no activity from it
    bool interfered = false;  // another candidate's line falls in its peak: used only when
                              // the nuclide has no clean line
    int partner_peak = -1;    // a close line of the same nuclide fitted beside it: areas summed
};

// A nuclide the activity step reports: identified, or asked for.
struct ActivityCandidate {
    std::string nuclide;
    bool identified = false;
    double half_life_s = 0.0;  // 0: stable or unknown, no decay correction
    double d_half_life_s = 0.0;
    std::vector<CandidateLine> lines;
    // Peaks that lines of other identified nuclides claim and none of this one's:
    // near this nuclide's line they are background to it.
    std::vector<int> others_peaks{};
    // For a member of a natural chain, when the settings take the chains as in
    // equilibrium, the supporting parent's half-life, which the decay correction
    // takes; empty name for none.
    struct Parent {
        std::string name;
        double half_life_s = 0.0;
        double d_half_life_s = 0.0;
    } parent{};
    // A special entry of the library (lead X-rays): no nuclide and no row of its own;
    // its clean lines only predict what its other lines put in shared peaks.
    bool explains_only = false;
};

// A line of the background spectrum, in counts of this spectrum's live time.
struct BackgroundLine {
    double energy_kev = 0.0;
    double counts = 0.0;
    double d_counts = 0.0;
};

// What the step needs of the spectrum; every field is this spectrum's own.
struct ActivitySpectrum {
    const SpectrumAnalysis* analysis = nullptr;
    std::span<const double> counts;
    double live_time_s = 0.0;
    double real_time_s = 0.0;
    std::string start;  // "YYYY-MM-DD HH:MM:SS", empty when unknown
    std::optional<analysis::EnergyCalibration>
        energy;                     // where lines are sought, when not the analysis's
    bool energy_calibrated = true;  // false: no line can be placed, no limits
    // The background spectrum's lines: in a primary result's region and sides they
    // are background, as they are taken off the fitted peaks.
    std::vector<BackgroundLine> background{};
    // Peaks given to a cascade as its sum peaks: their predicted counts, not their
    // fitted areas, are background to a line that falls in them.
    std::vector<ClaimedSumPeak> sum_peaks{};
    // How well the spectrum's own lines pinned the energy scale: the lines fitted,
    // their energies' span and the rms of their residuals (none fitted: unknown).
    struct ScaleCheck {
        int lines = 0;
        double low_kev = 0.0, high_kev = 0.0;
        double residual_rms_kev = 0.0;
    } scale{};
};

// What the energy recalibration's fitted lines say of the scale.
ActivitySpectrum::ScaleCheck scale_check(const nuclides::Recalibration& recalibration);

struct LineActivityRow {
    double energy_kev = 0.0;
    std::optional<activity::LineActivity> activity;  // a found line inside the curve's range
    std::optional<double> summing_factor;            // when the corrections are on
    std::optional<double> attenuation_factor;
};

struct NuclideActivityRow {
    std::string nuclide;
    Verdict verdict = Verdict::none;
    std::optional<activity::NuclideActivity> activity;   // detected only
    std::optional<activity::CoverageInterval> coverage;  // detected only
    std::optional<double> decision_threshold;            // of the identifying line
    std::optional<double> detection_limit;               // none when it does not exist
    double identifying_energy_kev = 0.0;
    std::optional<double> identifying_value;  // y of the identifying line, compared with y*
    std::vector<LineActivityRow> lines;
    std::optional<activity::PrimaryResult> primary;  // y and u(y) of that line's region
    std::string reason;       // why there is no number, or what the decision was made on
    bool identified = false;  // identification's verdict, reported beside the decision
};

struct ActivityResult {
    std::vector<std::pair<std::string, std::string>> keys;  // "key = value" lines of [nuclides]
    std::vector<NuclideActivityRow> nuclides;
    std::vector<std::string> messages;
    std::string unit;        // "Bq" or "Bq/kg" ...
    bool corrected = false;  // lines carry summing and self-attenuation factors
};

// The efficiency curve the settings name, read once per run; problems name the
// file and line.
struct LoadedCurve {
    std::optional<activity::EfficiencyCurve> curve;
    std::string path;
    std::vector<std::string> problems;
    LoadedCorrections corrections{};  // summing and self-attenuation, when the settings ask
};

// Reads the settings' efficiency file once per run; a relative path is taken from
// the control file's folder. Nothing to load when the settings name no file.
LoadedCurve load_activity_curve(const FileSystem& fs, const std::string& system_dir,
                                const NuclideSettings& settings);

// The efficiency at an energy, for identification's expectation of relative line
// strengths; held at the curve's ends outside its range. Empty without a curve.
std::function<double(double)> relative_efficiency(const LoadedCurve& curve);

// The curve's energy range in keV; 0, 0 without a curve.
std::pair<double, double> efficiency_range(const LoadedCurve& curve);

// The nuclides identification listed (but the annihilation line) and those whose
// limits are always asked for, with their lines and half-lives from the library.
std::vector<ActivityCandidate> activity_candidates(const NuclideRun& run,
                                                   const NuclideFindings& findings);

// Activities, limits and verdicts of the candidates. Lines outside the analysed
// range or the curve's range are not used; a nuclide with none left is
// `outside_curve`.
ActivityResult activity_step(const std::vector<ActivityCandidate>& candidates,
                             const ActivitySpectrum& spectrum, const NuclideSettings& settings,
                             const LoadedCurve& curve);

}  // namespace sorvane
