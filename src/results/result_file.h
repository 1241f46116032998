#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/region_curve.h"

namespace sorvane {

// "name = value" lines of one section, in file order.
using NamedValues = std::vector<std::pair<std::string, std::string>>;

// The value of a name, or empty when the section has no such line.
std::string value_of(const NamedValues& values, std::string_view name);

// A table whose columns are found by the header line's names, so that columns
// added by later versions, or missing from earlier ones, do not shift the rest.
struct ResultTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    std::optional<std::size_t> column(std::string_view name) const;
    // The cell, or empty when the row or the column is missing.
    std::string cell(std::size_t row, std::string_view name) const;
    // The cell as a number, or nothing when it is missing or no number ("-").
    std::optional<double> number(std::size_t row, std::string_view name) const;
};

// Everything a result file holds that the window shows. Sections it does not know
// are skipped.
struct ResultFile {
    NamedValues spectrum;
    NamedValues calibration;
    NamedValues options;
    ResultTable peaks;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, std::string>> flag_legend;  // letter, meaning
    std::vector<analysis::RegionCurve> regions;
    std::vector<double> counts;  // every channel, empty when the file keeps none
    bool has_counts = false;

    // What identification and the activities added; all empty when they did not run.
    NamedValues nuclide_keys;  // the key lines of [nuclides]: library, chain, unit ...
    ResultTable nuclides;
    ResultTable nuclide_lines;
    ResultTable unexplained_peaks;
    ResultTable activity_budget;
};

ResultFile read_result(std::string_view text);

// The energy calibration c0 c1 c2, or nothing when the result gives none or only
// the identity (channel = keV), which is no calibration at all.
struct EnergyTerms {
    double c0 = 0.0;
    double c1 = 1.0;
    double c2 = 0.0;
    double energy(double channel) const { return c0 + (c1 + c2 * channel) * channel; }
};
std::optional<EnergyTerms> energy_terms(const ResultFile& result);

// The energy calibration identification fitted to the matched library lines, with
// its residuals; nothing when the result holds none.
struct Recalibration {
    struct Residual {
        int peak = 0;
        double library_energy = 0.0;
        double residual_kev = 0.0;
    };
    EnergyTerms terms;
    int lines = 0;
    std::optional<double> rms_kev;
    std::vector<Residual> residuals;
};
std::optional<Recalibration> recalibration(const ResultFile& result);

// The nuclide a peak was assigned to (its row of [peaks]); empty for none.
std::string peak_nuclide(const ResultFile& result, std::size_t row);

// A peak's flag letters in words from the result's legend ("-" is no flag); a letter
// the legend does not explain is shown as itself.
std::string flags_in_words(const ResultFile& result, std::string_view letters);

// Numbers the way results write them: "." as decimal point whatever the locale.
std::optional<double> parse_number(std::string_view text);

}  // namespace sorvane
