#pragma once

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
// they are lost with it. The regions to fit again in its place: the region's other
// peak starts, grouped apart from the spike's channels (three of its widths either
// side, and on while the counts beside it fall, up to ten); none when the fit holds no spike or
// nothing beside it. `spikes` gets the spike's channel. A part may hold another spike: the caller
// looks again.
std::vector<analysis::Region> regions_beside_spikes(std::span<const double> counts,
                                                    const analysis::RegionResult& fit,
                                                    const analysis::Region& region,
                                                    const analysis::WidthCalibration& width,
                                                    bool tails, std::vector<double>& spikes);

}  // namespace sorvane
