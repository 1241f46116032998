#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/region_curve.h"

namespace sorvane {

// A number of the result; none where the file writes "-" (or an earlier version
// wrote nothing).
using Number = std::optional<double>;

// "name = value" lines in file order.
using NamedValues = std::vector<std::pair<std::string, std::string>>;

// The value of a name, or empty when there is no such line.
std::string value_of(const NamedValues& values, std::string_view name);

// What the activity step concluded of a nuclide; none: no activity was computed.
enum class Verdict {
    none,
    detected,
    not_detected,
    no_efficiency,
    outside_curve,
    not_computable,
    no_energy_calibration
};
std::string_view verdict_word(Verdict verdict);  // "-" for none
Verdict verdict_of_word(std::string_view word);  // none for a word it does not know

struct SpectrumPart {
    std::string input;
    std::string raw_file;  // the raw file the CHN file was converted from, when known
    std::string raw_type;  // its type: code and name
    std::string start;     // date and time, empty when unknown
    Number live_time;      // seconds
    Number real_time;
    Number channels;
    std::vector<double> analysed_range;  // first and last channel; empty: not analysed

    bool operator==(const SpectrumPart&) const = default;
};

struct CalibrationPart {
    std::vector<double> energy;  // c0 c1 c2
    std::string energy_source;   // "file", "manual" or "raw_file_energy_table"
    std::string d_energy_includes_calibration;
    std::vector<double> fwhm;  // a b c of FWHM^2 = a + b ch + c ch^2
    std::vector<double> d_fwhm;
    Number fwhm_peaks;
    std::optional<bool> fwhm_refined;
    // Identification's recalibration on library lines; empty when it made none.
    std::vector<double> recalibrated_energy;
    Number recalibration_lines;
    Number recalibration_residual_rms_kev;
    std::vector<std::vector<double>> recalibration_residuals;  // peak, library energy, residual
    // The user's FWHM points (channel, FWHM low and high) and the fitted widths there.
    std::vector<double> fwhm_points;
    std::vector<double> fwhm_at_points;

    bool operator==(const CalibrationPart&) const = default;
};

struct OptionsPart {
    Number pk_search, smoothing, pk_shape, fitted_data_plot, raw_data, energy_calib, cal_area;
    Number bkg_shape, pkf_sens, cal_area_from, cal_area_to;
    std::vector<double> cal_low;   // channel energy fwhm
    std::vector<double> cal_high;  // channel energy fwhm
    std::vector<double> manual_pk_ch;

    bool operator==(const OptionsPart&) const = default;
};

struct PeakRow {
    Number no, channel, d_channel, energy, d_energy, fwhm_ch, fwhm_kev, area, d_area, d_area_pct,
        background, cps, d_cps, chi2r;
    std::string flags{};    // letters of the legend, empty for none
    Number pair_with{};     // number of the other member of an unresolved pair
    std::string nuclide{};  // the nuclide identification gave it, empty for none
    // Counts of the background spectrum taken off the area before activities.
    Number background_counts{}, d_background_counts{};

    bool operator==(const PeakRow&) const = default;
};

struct NuclideRow {
    std::string nuclide{};
    std::optional<bool> identified{};
    Number score{};
    std::string lines{};          // "found/expected"
    std::string peaks{};          // "1,4,7"
    std::string interferences{};  // "4:Ra-226,..."
    Number activity{}, d_activity{}, coverage_low{}, coverage_high{}, decision_threshold{},
        detection_limit{}, lines_chi2r{};
    Verdict verdict = Verdict::none;
    // The primary result of the identifying line's region and the decision it gives,
    // the best estimate, the lines left out, the lines' uncertainty scale, and why a
    // number is missing.
    Number primary_result{}, d_primary_result{};
    Verdict decision = Verdict::none;
    Number best_estimate{}, d_best_estimate{};
    std::string excluded_lines{};  // "1173.2,1332.5"
    Number uncertainty_scale{};
    std::string reason{};

    bool operator==(const NuclideRow&) const = default;
};

struct NuclideLineRow {
    std::string nuclide{};
    Number energy{}, probability{}, peak{}, recalibrated_energy{}, difference{};
    std::string status{};  // found, shared or missing
    Number activity{}, d_activity{};
    // The line's coincidence-summing factor (observed / alone) and the self-attenuation
    // transfer (sample / standard) its activity was divided by; none without them.
    Number summing_factor{}, attenuation_factor{};

    bool operator==(const NuclideLineRow&) const = default;
};

struct UnexplainedRow {
    Number no, energy, area;
    std::string flags;

    bool operator==(const UnexplainedRow&) const = default;
};

// Each part's share of the activity's variance, in per cent.
struct BudgetRow {
    std::string nuclide{};
    Number counting{}, efficiency{}, emission{}, half_life{}, quantity{}, corrections{};

    bool operator==(const BudgetRow&) const = default;
};

// A table of the result: its columns (the header's names in file order) and its
// rows. A column the header lacks is none in every row; a section with no columns
// is not in the result.
template <class Row>
struct ResultRows {
    std::vector<std::string> columns;
    std::vector<Row> rows;

    std::optional<std::size_t> column(std::string_view name) const;
    // The cell as the result writes it ("-" for none), or empty when the row or the
    // column is missing.
    std::string cell(std::size_t row, std::string_view name) const;
    // The cell as a number, or nothing when it is missing or no number.
    Number number(std::size_t row, std::string_view name) const;

    bool operator==(const ResultRows&) const = default;
};

// One result: what the runtime writes to B.res, and what every reader gets back.
struct ResultModel {
    SpectrumPart spectrum;
    CalibrationPart calibration;
    OptionsPart options;
    ResultRows<PeakRow> peaks;
    NamedValues nuclide_keys;  // the key lines of [nuclides]: library, chain, unit ...
    ResultRows<NuclideRow> nuclides;
    ResultRows<NuclideLineRow> nuclide_lines;
    ResultRows<UnexplainedRow> unexplained_peaks;
    ResultRows<BudgetRow> activity_budget;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, std::string>> flag_legend;  // letter, meaning
    std::vector<analysis::RegionCurve> regions;                    // fitted regions with peaks
    std::vector<double> counts;  // every channel, empty when the file keeps none
    bool has_counts = false;
    // [data]: the channels listed, with the fit and its background per channel
    // (NaN where no region was fitted); fit and background may be longer than the list.
    std::optional<std::pair<int, int>> data_channels;
    std::vector<double> fit;
    std::vector<double> background;
};

}  // namespace sorvane
