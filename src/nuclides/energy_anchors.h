#pragma once

// Which peaks of a spectrum and which listed lines may anchor its energy scale.

#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <vector>

#include "line_library.h"
#include "peak_evidence.h"

namespace sorvane::nuclides::recalibration {

// A correction may stretch the file's scale by this fraction at most.
inline constexpr double max_gain_change = 0.005;
// Peaks this significant (area / d_area) may anchor the scale.
inline constexpr double anchor_significance = 8.0;

// An escape, sum, annihilation or broad peak: it does not sit at a line's energy.
bool off_scale(const PeakEvidence& peak);

// A peak whose centroid may anchor the scale: significant, converged, not an escape,
// sum, annihilation or broad peak, and dominant where it is a multiplet member.
bool anchor_peak(const PeakEvidence& peak);

// The listed lines that may anchor it: the probable ones and each nuclide's strongest.
std::vector<const GammaLine*> anchor_lines(const LineLibrary& library);

// The listed lines close to each line: a peak there may be either.
using Neighbours = std::map<const GammaLine*, std::vector<const GammaLine*>>;
Neighbours neighbours_of(const LineLibrary& library);

// The anchor line nearest an energy within a tolerance, and whether it is the only one.
template <typename Credible>
const GammaLine* nearest_line(const std::vector<const GammaLine*>& lines, double energy,
                              double tolerance, bool& unique, Credible&& is_credible) {
    const GammaLine* best = nullptr;
    int within = 0;
    for (const auto* line : lines) {
        const double distance = std::fabs(line->energy - energy);
        if (distance > tolerance || !is_credible(*line)) continue;
        ++within;
        if (!best || distance < std::fabs(best->energy - energy)) best = line;
    }
    unique = within == 1;
    return best;
}

// Energies of all peaks under a trial scale, sorted, to ask whether a line has a peak.
class PeakEnergies {
public:
    template <typename Scale>
    PeakEnergies(std::span<const PeakEvidence> peaks, Scale&& scale) {
        for (const auto& p : peaks) energies_.push_back(scale(p.channel));
        std::sort(energies_.begin(), energies_.end());
    }
    bool near(double energy, double tolerance) const {
        const auto at = std::lower_bound(energies_.begin(), energies_.end(), energy - tolerance);
        return at != energies_.end() && *at <= energy + tolerance;
    }

private:
    std::vector<double> energies_;
};

// A line is a credible anchor when the lines of its nuclide that the peak's
// significance predicts show as peaks too (see the .cpp for the efficiency bounds).
bool credible(const GammaLine& line, const LineLibrary& library, const PeakEnergies& peaks,
              double tolerance, double significance);

// A line anchors the scale when it is credible and no close neighbour is.
bool usable(const GammaLine& line, const LineLibrary& library, const Neighbours& neighbours,
            const PeakEnergies& peaks, double tolerance, double significance);

}  // namespace sorvane::nuclides::recalibration
