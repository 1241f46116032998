#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The channel-energy tables that raw spectrum files may carry beside a calibration
// their CHN file does not keep, read by the runtime from the raw file itself.

// One point of such a table.
struct EnergyChannelPoint {
    double energy_kev = 0.0;
    double channel = 0.0;
};

// The numbers of an IEC 1455 header record after its "A004" mark. Analysers write
// them in fixed-width fields with no blank before a minus sign
// ("-1.5E-02 8.0E-01-2.9E-08"), so a sign right after a digit starts the next number.
std::vector<double> iec_record_numbers(std::string_view line);

// The IEC 1455 table: header records 11 on, each with two (energy, channel) pairs, up
// to the first record whose pairs are all zero; pairs with a zero (or negative)
// energy or channel are no points. Empty when the text is no IEC 1455 file or has no
// table.
std::vector<EnergyChannelPoint> iec_energy_table(std::string_view text);

// The "#Energy" block of an RMS 2.0 file: the rows up to the next "#" line, energy in
// columns 9-15 and centroid channel in columns 26-32, as the RMS reader reads them
// (it fits them but stores no calibration). Rows with no positive energy or channel
// are no points; empty when the text is no RMS 2.0 file or has no such block.
std::vector<EnergyChannelPoint> rms_energy_table(std::string_view text);

// The table reader for a raw file type code (as control files and the raw-source
// side file store it: 10 IEC 1455, 9 RMS 2.0); nullptr for a type without one.
using EnergyTableReader = std::vector<EnergyChannelPoint> (*)(std::string_view);
EnergyTableReader energy_table_reader(int type_code);

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
