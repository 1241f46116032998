#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sorvane {

// One energy-calibration point.
struct EnergyPoint {
    double ch = 0;
    double energy = 0;
    double fwhm = 0;
    bool operator==(const EnergyPoint&) const = default;
};

// A stored window position; travels unchanged through the control file.
struct FormPosition {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
    bool operator==(const FormPosition&) const = default;
};

inline constexpr std::size_t cntl_option_count = 12;  // 0..9 are stored
inline constexpr std::size_t stored_cntl_options = 10;
inline constexpr std::size_t manual_pk_capacity = 18;  // 0..16 are stored
inline constexpr std::size_t stored_manual_peaks = 17;
inline constexpr std::size_t max_manual_peaks = 10;  // what the entry dialog takes
inline constexpr std::size_t form_pos_count = 17;

// Everything the analysis runtime is told about a run, plus the window positions
// the control file carries along. All zero or empty when the window is created.
struct AnalysisSettings {
    std::string system_dir;    // holds the control file; no trailing separator
    std::string chn_dir;       // raw input folder, ends in the separator
    std::string res_dir;       // result folder, ends in the separator
    std::string run_time_dir;  // as typed; the runtime's name is appended directly
    std::array<std::int16_t, cntl_option_count> cntl_option{};
    double bkg_shape = 0;
    double pkf_sens = 0;
    double cal_area_from = 0;
    double cal_area_to = 0;
    EnergyPoint eng_cal_low;
    EnergyPoint eng_cal_high;
    std::int16_t manual_pk_count = 0;
    std::array<double, manual_pk_capacity> manual_pk_ch{};
    std::string user_inf;
    std::array<FormPosition, form_pos_count> form_pos{};

    bool operator==(const AnalysisSettings&) const = default;
};

}  // namespace sorvane
