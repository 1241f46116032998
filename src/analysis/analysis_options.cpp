#include "analysis/analysis_options.h"

#include "contract/option_codes.h"

namespace sorvane::analysis {

namespace {

// The "Raw Data " codes and what each writes; an unknown code writes nothing.
struct RawDataRow {
    std::int16_t code;
    RawDataOutput output;
};
constexpr RawDataRow raw_data_rows[] = {
    {raw_data_code::none, RawDataOutput::none},
    {raw_data_code::with_area_cal, RawDataOutput::analysed_range},
    {raw_data_code::no_area_cal, RawDataOutput::all_channels},
    {raw_data_code::csv, RawDataOutput::csv},
};

}  // namespace

void apply_option_codes(AnalysisOptions& options, const OptionCodes& codes) {
    options.manual_search = codes[cntl_slot::pk_search] == pk_search_code::manual;
    options.smoothing_points =
        codes[cntl_slot::smoothing] == smoothing_code::seven_channels ? 7 : 5;
    options.shape = codes[cntl_slot::pk_shape] == pk_shape_code::gauss ? PeakShape::gauss
                                                                       : PeakShape::gauss_exp;
    options.plot = codes[cntl_slot::plot] == plot_code::simple;
    options.raw_data = RawDataOutput::none;
    for (const RawDataRow& row : raw_data_rows) {
        if (codes[cntl_slot::raw_data] == row.code) options.raw_data = row.output;
    }
    // Any code but "manual" keeps the automatic choice, as the window's buttons do.
    options.energy_auto = codes[cntl_slot::energy_calib] != energy_calib_code::manual;
    options.cal_area_all = codes[cntl_slot::cal_area] != cal_area_code::manual;
}

OptionCodes option_codes(const AnalysisOptions& options) {
    OptionCodes codes{};
    codes[cntl_slot::pk_search] =
        options.manual_search ? pk_search_code::manual : pk_search_code::automatic;
    codes[cntl_slot::smoothing] = options.smoothing_points == 7 ? smoothing_code::seven_channels
                                                                : smoothing_code::five_channels;
    codes[cntl_slot::pk_shape] =
        options.shape == PeakShape::gauss ? pk_shape_code::gauss : pk_shape_code::gauss_exp;
    codes[cntl_slot::plot] = options.plot ? plot_code::simple : plot_code::none;
    for (const RawDataRow& row : raw_data_rows) {
        if (options.raw_data == row.output) codes[cntl_slot::raw_data] = row.code;
    }
    codes[cntl_slot::energy_calib] =
        options.energy_auto ? energy_calib_code::automatic : energy_calib_code::manual;
    codes[cntl_slot::cal_area] =
        options.cal_area_all ? cal_area_code::all_channels : cal_area_code::manual;
    return codes;
}

AnalysisOptions clamped(AnalysisOptions options) {
    options.bkg_shape = bkg_shape_range.clamp(options.bkg_shape);
    options.pkf_sens = pkf_sens_range.clamp(options.pkf_sens);
    return options;
}

}  // namespace sorvane::analysis
