#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "analyse_spectrum.h"
#include "analysis/analysis_options.h"

namespace sorvane {

// What the result file says about the spectrum itself.
struct SpectrumFacts {
    std::string input_path;
    std::string start;       // date and time as text, empty when unknown
    double live_time = 0.0;  // seconds
    double real_time = 0.0;
    std::size_t channels = 0;
    std::string raw_path;  // the raw file the CHN file was converted from, when known
    std::string raw_type;  // its type: code and name
};

// What later steps of the analysis add to a result: lines at the end of
// [calibration], columns at the end of [peaks] (a name and one field per peak) and
// whole sections between [peaks] and [messages]. Empty: the result as ever.
struct ResultAdditions {
    std::vector<std::string> calibration_lines;
    std::vector<std::pair<std::string, std::vector<std::string>>> peak_columns;
    std::string sections;  // CR LF lines
};

// The text of B.res: CR LF lines, sections [spectrum], [calibration], [options],
// [peaks], [messages] and, for the raw-data codes 0 and 2, [data].
std::string format_result(const SpectrumFacts& facts, const analysis::AnalysisOptions& options,
                          const SpectrumAnalysis& analysis, std::span<const double> counts,
                          const ResultAdditions& additions = {});

// The result of a spectrum that could not be analysed: the reason and no peaks.
std::string format_failure(const SpectrumFacts& facts, const analysis::AnalysisOptions& options,
                           const std::string& reason);

// B.csv for the raw-data code 4: "channel,counts,fit,background" for every channel.
std::string format_csv(const SpectrumAnalysis& analysis, std::span<const double> counts);

// The model and its background per channel; NaN where no region was fitted.
struct ChannelModel {
    std::vector<double> fit;
    std::vector<double> background;
};
ChannelModel channel_model(const SpectrumAnalysis& analysis, std::size_t channels);

// A number with 8 significant digits, "." as decimal point, whatever the locale.
std::string number_text(double value);

}  // namespace sorvane
