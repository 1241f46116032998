#pragma once

#include <string_view>

// The names the runtime and every reader of its results agree on: the control
// file and its receipt, and the sections, keys and columns of a B.res file. This
// is the only place they are spelled; docs/result-model.md says how to add one.
namespace sorvane::result_schema {

inline constexpr std::string_view control_file_name = "sorvane.inf";
inline constexpr std::string_view receipt_file_name = "sorvane.inf.read";

namespace section {
inline constexpr std::string_view spectrum = "spectrum";
inline constexpr std::string_view calibration = "calibration";
inline constexpr std::string_view options = "options";
inline constexpr std::string_view peaks = "peaks";
inline constexpr std::string_view nuclides = "nuclides";
inline constexpr std::string_view nuclide_lines = "nuclide lines";
inline constexpr std::string_view unexplained_peaks = "unexplained peaks";
inline constexpr std::string_view activity_budget = "activity budget";
inline constexpr std::string_view messages = "messages";
inline constexpr std::string_view flags = "flags";
inline constexpr std::string_view regions = "regions";
inline constexpr std::string_view counts = "counts";
inline constexpr std::string_view data = "data";
}  // namespace section

namespace spectrum_key {
inline constexpr std::string_view input = "input";
inline constexpr std::string_view raw_file = "raw_file";
inline constexpr std::string_view raw_type = "raw_type";
inline constexpr std::string_view start = "start";
inline constexpr std::string_view live_time = "live_time";
inline constexpr std::string_view real_time = "real_time";
inline constexpr std::string_view channels = "channels";
inline constexpr std::string_view analysed_range = "analysed_range";
}  // namespace spectrum_key

namespace calibration_key {
inline constexpr std::string_view energy = "energy";
inline constexpr std::string_view energy_source = "energy_source";
inline constexpr std::string_view d_energy_includes_calibration = "d_energy_includes_calibration";
inline constexpr std::string_view fwhm = "fwhm";
inline constexpr std::string_view d_fwhm = "d_fwhm";
inline constexpr std::string_view fwhm_peaks = "fwhm_peaks";
inline constexpr std::string_view fwhm_refined = "fwhm_refined";
inline constexpr std::string_view recalibrated_energy = "recalibrated_energy";
inline constexpr std::string_view recalibration_lines = "recalibration_lines";
inline constexpr std::string_view recalibration_residual_rms_kev = "recalibration_residual_rms_kev";
inline constexpr std::string_view recalibration_residual = "recalibration_residual";
inline constexpr std::string_view fwhm_points = "fwhm_points";
inline constexpr std::string_view fwhm_at_points = "fwhm_at_points";
}  // namespace calibration_key

namespace options_key {
inline constexpr std::string_view pk_search = "pk_search";
inline constexpr std::string_view smoothing = "smoothing";
inline constexpr std::string_view pk_shape = "pk_shape";
inline constexpr std::string_view fitted_data_plot = "fitted_data_plot";
inline constexpr std::string_view raw_data = "raw_data";
inline constexpr std::string_view energy_calib = "energy_calib";
inline constexpr std::string_view cal_area = "cal_area";
inline constexpr std::string_view bkg_shape = "bkg_shape";
inline constexpr std::string_view pkf_sens = "pkf_sens";
inline constexpr std::string_view cal_area_from = "cal_area_from";
inline constexpr std::string_view cal_area_to = "cal_area_to";
inline constexpr std::string_view cal_low = "cal_low";
inline constexpr std::string_view cal_high = "cal_high";
inline constexpr std::string_view manual_pk_ch = "manual_pk_ch";
}  // namespace options_key

namespace peak_column {
inline constexpr std::string_view no = "no";
inline constexpr std::string_view channel = "channel";
inline constexpr std::string_view d_channel = "d_channel";
inline constexpr std::string_view energy = "energy";
inline constexpr std::string_view d_energy = "d_energy";
inline constexpr std::string_view fwhm_ch = "fwhm_ch";
inline constexpr std::string_view fwhm_kev = "fwhm_kev";
inline constexpr std::string_view area = "area";
inline constexpr std::string_view d_area = "d_area";
inline constexpr std::string_view d_area_pct = "d_area_pct";
inline constexpr std::string_view background = "background";
inline constexpr std::string_view cps = "cps";
inline constexpr std::string_view d_cps = "d_cps";
inline constexpr std::string_view chi2r = "chi2r";
inline constexpr std::string_view flags = "flags";
inline constexpr std::string_view pair_with = "pair_with";
inline constexpr std::string_view nuclide = "nuclide";
// The background spectrum's counts taken off the peak's area before activities.
inline constexpr std::string_view background_counts = "background_counts";
inline constexpr std::string_view d_background_counts = "d_background_counts";
}  // namespace peak_column

// The key lines of [nuclides], before its table.
namespace nuclide_key {
inline constexpr std::string_view library = "library";
inline constexpr std::string_view chain = "chain";
inline constexpr std::string_view reference_time = "reference_time";
inline constexpr std::string_view efficiency = "efficiency";
inline constexpr std::string_view unit = "unit";
inline constexpr std::string_view corrections = "corrections";
inline constexpr std::string_view background = "background";
}  // namespace nuclide_key

namespace nuclide_column {
inline constexpr std::string_view nuclide = "nuclide";
inline constexpr std::string_view identified = "identified";
inline constexpr std::string_view score = "score";
inline constexpr std::string_view lines = "lines";
inline constexpr std::string_view peaks = "peaks";
inline constexpr std::string_view interferences = "interferences";
inline constexpr std::string_view activity = "activity";
inline constexpr std::string_view d_activity = "d_activity";
inline constexpr std::string_view coverage_low = "coverage_low";
inline constexpr std::string_view coverage_high = "coverage_high";
inline constexpr std::string_view decision_threshold = "decision_threshold";
inline constexpr std::string_view detection_limit = "detection_limit";
inline constexpr std::string_view lines_chi2r = "lines_chi2r";
inline constexpr std::string_view verdict = "verdict";
inline constexpr std::string_view primary_result = "primary_result";
inline constexpr std::string_view d_primary_result = "d_primary_result";
inline constexpr std::string_view decision = "decision";
inline constexpr std::string_view best_estimate = "best_estimate";
inline constexpr std::string_view d_best_estimate = "d_best_estimate";
inline constexpr std::string_view excluded_lines = "excluded_lines";
inline constexpr std::string_view uncertainty_scale = "uncertainty_scale";
inline constexpr std::string_view reason = "reason";
}  // namespace nuclide_column

namespace line_column {
inline constexpr std::string_view nuclide = "nuclide";
inline constexpr std::string_view energy = "energy";
inline constexpr std::string_view probability = "probability";
inline constexpr std::string_view peak = "peak";
inline constexpr std::string_view recalibrated_energy = "recalibrated_energy";
inline constexpr std::string_view difference = "difference";
inline constexpr std::string_view status = "status";
inline constexpr std::string_view activity = "activity";
inline constexpr std::string_view d_activity = "d_activity";
inline constexpr std::string_view summing_factor = "summing_factor";
inline constexpr std::string_view attenuation_factor = "attenuation_factor";
}  // namespace line_column

namespace unexplained_column {
inline constexpr std::string_view no = "no";
inline constexpr std::string_view energy = "energy";
inline constexpr std::string_view area = "area";
inline constexpr std::string_view flags = "flags";
}  // namespace unexplained_column

namespace budget_column {
inline constexpr std::string_view nuclide = "nuclide";
inline constexpr std::string_view counting = "counting";
inline constexpr std::string_view efficiency = "efficiency";
inline constexpr std::string_view emission = "emission";
inline constexpr std::string_view half_life = "half_life";
inline constexpr std::string_view quantity = "quantity";
inline constexpr std::string_view corrections = "corrections";  // only when they are made
}  // namespace budget_column

// "region = first last level slope bkg_shape" and "peak = centroid area sigma tail
// step step_sigma high_tail high_share" lines of [regions] (high_tail, k of the
// high-energy tail or 0, and high_share, the part of the peak that has it; missing
// in files written before them).
namespace region_key {
inline constexpr std::string_view region = "region";
inline constexpr std::string_view peak = "peak";
}  // namespace region_key

// The words of a nuclide's verdict.
namespace verdict_word {
inline constexpr std::string_view detected = "detected";
inline constexpr std::string_view not_detected = "not_detected";
inline constexpr std::string_view no_efficiency = "no_efficiency";
inline constexpr std::string_view outside_curve = "outside_curve";
inline constexpr std::string_view not_computable = "not_computable";
inline constexpr std::string_view no_energy_calibration = "no_energy_calibration";
}  // namespace verdict_word

}  // namespace sorvane::result_schema
