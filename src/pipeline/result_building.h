#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "pipeline/analyse_spectrum.h"
#include "results/result_model.h"

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

// The result of an analysed spectrum: its facts, calibrations, options, peaks,
// messages, the flags' legend, the fitted regions and counts and, for the raw-data
// codes 0 and 2, the channels of [data]. Its numbers are those its file states.
ResultModel analysed_result(const SpectrumFacts& facts, const analysis::AnalysisOptions& options,
                            const SpectrumAnalysis& analysis, std::span<const double> counts);

// The result of a spectrum that could not be analysed: the reason and no peaks.
ResultModel failed_result(const SpectrumFacts& facts, const analysis::AnalysisOptions& options,
                          const std::string& reason);

// The model and its background per channel; NaN where no region was fitted.
struct ChannelModel {
    std::vector<double> fit;
    std::vector<double> background;
};
ChannelModel channel_model(const SpectrumAnalysis& analysis, std::size_t channels);

}  // namespace sorvane
