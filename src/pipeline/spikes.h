#pragma once

#include <optional>
#include <span>
#include <vector>

#include "analysis/calibration.h"
#include "analysis/region_fit.h"
#include "analysis/regions.h"

namespace sorvane {

// A line is at least this part of the calibrated width; a fitted width below it
// is a spike (an ADC or pulser artefact), never reported.
inline constexpr double narrowest_line = 0.5;

// A spike fitted in one region with lines shares its narrow width with them, and
// they are lost with it. In its place: the spike's channel, and the regions to fit
// again, the region's other peak starts grouped apart from the spike's channels
// (three of its widths either side, and on while the counts beside it fall, up to
// ten). None when the fit holds no spike or nothing beside it. A part may hold
// another spike: the caller looks again.
struct SpikeSplit {
    double spike_channel = 0.0;
    std::vector<analysis::Region> parts;
};
std::optional<SpikeSplit> split_at_spike(std::span<const double> counts,
                                         const analysis::RegionResult& fit,
                                         const analysis::Region& region,
                                         const analysis::WidthCalibration& width, bool tails);

}  // namespace sorvane
