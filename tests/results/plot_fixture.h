#pragma once

#include <string>

#include "results/plot_picture.h"

namespace sorvane {

// A result of 200 channels at 0.5 keV each: a flat spectrum of 10 counts, peaks of
// the given channels and counts at their tops (one channel each), no fit.
inline ResultModel flat_result(const std::vector<std::pair<int, double>>& peaks) {
    std::string text = "[calibration]\r\nenergy = 0 0.5 0\r\n[peaks]\r\nno channel\r\n";
    for (std::size_t i = 0; i < peaks.size(); ++i)
        text += std::to_string(i + 1) + " " + std::to_string(peaks[i].first) + "\r\n";
    ResultModel result = read_result(text);
    result.counts.assign(200, 10.0);
    for (const auto& [channel, top] : peaks) result.counts[static_cast<std::size_t>(channel)] = top;
    result.has_counts = true;
    return result;
}

}  // namespace sorvane
