#pragma once

#include <string_view>
#include <vector>

#include "import/iec_energy_table.h"

namespace sorvane {

// The "#Energy" block of an RMS 2.0 file as points of a channel-energy table: the
// rows up to the next "#" line, energy in columns 9-15 and centroid channel in columns
// 26-32, as the RMS reader reads them (it fits them but stores no calibration). Rows
// with no positive energy or channel are no points; empty when the text is no RMS 2.0
// file or has no such block.
std::vector<EnergyChannelPoint> rms_energy_table(std::string_view text);

}  // namespace sorvane
