#pragma once

#include <span>
#include <string>
#include <string_view>

#include "analysis/calibration.h"

namespace sorvane {

struct ReportedPeak;

// One flag of the result's peak table: its letter and what it tells a reader.
struct PeakFlag {
    char letter;
    std::string_view meaning;
};

// Every flag the runtime writes, in the order the letters stand in a peak's flags;
// the result file's legend is written from this table.
std::span<const PeakFlag> peak_flag_legend();

// Sets the flags of every reported peak (in channel order): its own fit's facts
// and, where the energies are known, what the other peaks make of it (annihilation,
// escape and sum lines).
void assign_flags(std::span<ReportedPeak> peaks, const analysis::WidthCalibration& width,
                  bool energies_known = true);

}  // namespace sorvane
