#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace sorvane {

// What the window and the runtime agree on about the options: where each option's
// code stands in `cntl_option` and what each code means. The window writes these
// codes into the control file, the runtime reads them.
namespace cntl_slot {
inline constexpr std::size_t pk_search = 0;
inline constexpr std::size_t smoothing = 1;
inline constexpr std::size_t pk_shape = 2;
inline constexpr std::size_t plot = 3;
inline constexpr std::size_t raw_data = 4;
inline constexpr std::size_t energy_calib = 5;
inline constexpr std::size_t cal_area = 6;
inline constexpr std::size_t chn_conversion = 7;
inline constexpr std::size_t file_type = 8;
}  // namespace cntl_slot

namespace pk_search_code {
inline constexpr std::int16_t automatic = 0;
inline constexpr std::int16_t manual = 1;
}  // namespace pk_search_code

namespace smoothing_code {
inline constexpr std::int16_t five_channels = 0;
inline constexpr std::int16_t seven_channels = 1;
}  // namespace smoothing_code

namespace pk_shape_code {
inline constexpr std::int16_t gauss_exp = 0;
inline constexpr std::int16_t gauss = 2;
}  // namespace pk_shape_code

namespace plot_code {
inline constexpr std::int16_t none = 0;
inline constexpr std::int16_t simple = 1;
}  // namespace plot_code

namespace raw_data_code {
inline constexpr std::int16_t with_area_cal = 0;  // "[data]" over the analysed range
inline constexpr std::int16_t none = 1;
inline constexpr std::int16_t no_area_cal = 2;  // "[data]" over every channel
inline constexpr std::int16_t csv = 4;
}  // namespace raw_data_code

namespace energy_calib_code {
inline constexpr std::int16_t manual = 0;
inline constexpr std::int16_t automatic = 1;  // the calibration the spectrum file holds
}  // namespace energy_calib_code

namespace cal_area_code {
inline constexpr std::int16_t manual = 0;
inline constexpr std::int16_t all_channels = 1;
}  // namespace cal_area_code

namespace chn_conversion_code {
inline constexpr std::int16_t temporary = 0;  // "no": the CHN files are deleted after the run
inline constexpr std::int16_t make_chn = 1;
inline constexpr std::int16_t only_conversion = 2;  // no runtime is started
}  // namespace chn_conversion_code

// A numeric parameter's range: the window forces a typed value into it, the runtime
// forces a value read from a control file into it.
struct NumberRange {
    double low;
    double high;
    double clamp(double value) const { return std::clamp(value, low, high); }
};

inline constexpr NumberRange bkg_shape_range{0.1, 10.0};  // steepness of the step, lin..atan
inline constexpr NumberRange pkf_sens_range{3.0, 8.0};    // search threshold in sigmas

}  // namespace sorvane
