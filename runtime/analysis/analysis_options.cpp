#include "analysis/analysis_options.h"

#include <algorithm>

namespace sorvane::analysis {

void apply_option_codes(AnalysisOptions& options, const OptionCodes& codes) {
    options.manual_search = codes[0] == 1;
    options.smoothing_points = codes[1] == 1 ? 7 : 5;
    options.shape = codes[2] == 2 ? PeakShape::gauss : PeakShape::gauss_exp;
    options.plot = codes[3] == 1;
    switch (codes[4]) {
        case 0:
            options.raw_data = RawDataOutput::analysed_range;
            break;
        case 2:
            options.raw_data = RawDataOutput::all_channels;
            break;
        case 4:
            options.raw_data = RawDataOutput::csv;
            break;
        default:
            options.raw_data = RawDataOutput::none;
            break;
    }
    options.energy_auto = codes[5] != 0;
    options.cal_area_all = codes[6] != 0;
}

OptionCodes option_codes(const AnalysisOptions& options) {
    OptionCodes codes{};
    codes[0] = options.manual_search ? 1 : 0;
    codes[1] = options.smoothing_points == 7 ? 1 : 0;
    codes[2] = options.shape == PeakShape::gauss ? 2 : 0;
    codes[3] = options.plot ? 1 : 0;
    switch (options.raw_data) {
        case RawDataOutput::none:
            codes[4] = 1;
            break;
        case RawDataOutput::analysed_range:
            codes[4] = 0;
            break;
        case RawDataOutput::all_channels:
            codes[4] = 2;
            break;
        case RawDataOutput::csv:
            codes[4] = 4;
            break;
    }
    codes[5] = options.energy_auto ? 1 : 0;
    codes[6] = options.cal_area_all ? 1 : 0;
    return codes;
}

AnalysisOptions clamped(AnalysisOptions options) {
    options.bkg_shape = std::clamp(options.bkg_shape, 0.1, 10.0);
    options.pkf_sens = std::clamp(options.pkf_sens, 3.0, 8.0);
    return options;
}

}  // namespace sorvane::analysis
