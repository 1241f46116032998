#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The numbers of an IEC 1455 header record after its "A004" mark. Analysers write
// them in fixed-width fields with no blank before a minus sign
// ("-1.5E-02 8.0E-01-2.9E-08"), so a sign right after a digit starts the next number.
std::vector<double> iec_record_numbers(std::string_view line);

// One point of the channel-energy table an IEC 1455 header may carry.
struct EnergyChannelPoint {
    double energy_kev = 0.0;
    double channel = 0.0;
};

// The table: header records 11 on, each with two (energy, channel) pairs, up to the
// first record whose pairs are all zero; pairs with a zero (or negative) energy or
// channel are no points. Empty when the text is no IEC 1455 file or has no table.
std::vector<EnergyChannelPoint> iec_energy_table(std::string_view text);

// The energy calibration the table gives over channels 0..channels-1: the line
// through two points, the least-squares quadratic through three or more (the
// least-squares line where that quadratic would not rise over every channel).
struct TableCalibration {
    bool ok = false;
    double c0 = 0.0, c1 = 1.0, c2 = 0.0;
    int points = 0;
    double residual_rms_kev = 0.0;
    std::string reason;  // why there is none, when not ok
};
TableCalibration calibration_from_table(std::span<const EnergyChannelPoint> points,
                                        std::size_t channels);

}  // namespace sorvane
