#include "energy_anchors.h"

#include <cmath>
#include <iterator>
#include <string>

namespace sorvane::nuclides::recalibration {
namespace {

// What makes a peak and a line good anchors of the energy scale.
constexpr double anchor_probability = 3.0;    // percent
constexpr double anchor_isolation_kev = 2.0;  // no other listed line this close
constexpr double multiplet_anchor_significance = 30.0;
// A line of an anchor's nuclide expected at this significance must have its peak.
constexpr double expected_line_sigmas = 12.0;
constexpr double close_line_floor_kev = 60.0;
constexpr double close_line_ratio = 1.5;
constexpr double steepest_efficiency_slope = 1.5;

// Escape, sum, annihilation and broad peaks do not sit at a line's energy.
constexpr char off_scale_flags[] = {'E', 'F', 'S', 'A', 'B'};

// A line is a credible anchor when its nuclide's stronger lines have peaks too: those
// from 100 keV up to its energy (the efficiency is higher there), and those above it
// that are more than twice as probable; and so do its other lines that the peak's
// significance, scaled by probability and efficiency, puts well above the search's
// reach (a 200 sigma peak at 185.7 keV is no U-235 without its 143.8 keV line at a
// fifth of it). From 100 keV up to the line's energy the efficiency is taken as no
// lower; above it, as falling no more steeply than E^-1.5; below 100 keV, where the
// entrance window cuts it, only within a factor 1.5 of the line and above 60 keV.
// The significance scales as the area where the continuum rules the uncertainty, more
// slowly where the peak does: the scaled figure is the smallest it could be.
double expected_significance(const GammaLine& line, const GammaLine& other, double significance) {
    double efficiency = 1.0;
    if (other.energy > line.energy) {
        efficiency = std::pow(line.energy / other.energy, steepest_efficiency_slope);
    } else if (other.energy < 100.0) {
        if (other.energy < close_line_floor_kev || line.energy > close_line_ratio * other.energy)
            return 0.0;
        efficiency = std::pow(other.energy / line.energy, steepest_efficiency_slope);
    }
    return significance * other.probability / line.probability * efficiency;
}

}  // namespace

bool off_scale(const PeakEvidence& peak) {
    return std::any_of(std::begin(off_scale_flags), std::end(off_scale_flags),
                       [&](char letter) { return peak.flagged(letter); });
}

bool anchor_peak(const PeakEvidence& peak) {
    // Nor is the centroid of a fit that did not converge good enough to anchor it.
    if (off_scale(peak) || peak.flagged('N')) return false;
    // A multiplet member's centroid leans toward its neighbour unless it dominates.
    const double needed = peak.flagged('D') ? multiplet_anchor_significance : anchor_significance;
    return peak.significance() >= needed;
}

std::vector<const GammaLine*> anchor_lines(const LineLibrary& library) {
    // A nuclide's strongest line anchors too however weak (Pa-234m's 1001 keV, 0.85 %):
    // a strong peak there is that line or no listed one.
    std::map<std::string, double> strongest;
    for (const auto& line : library.lines)
        strongest[line.nuclide] = std::max(strongest[line.nuclide], line.probability);
    std::vector<const GammaLine*> out;
    for (const auto& line : library.lines)
        if (line.nuclide != annihilation_name &&
            (line.probability >= anchor_probability || line.probability == strongest[line.nuclide]))
            out.push_back(&line);
    return out;
}

Neighbours neighbours_of(const LineLibrary& library) {
    Neighbours out;
    for (const auto& line : library.lines)
        for (const auto& other : library.lines)
            if (&other != &line && std::fabs(other.energy - line.energy) < anchor_isolation_kev)
                out[&line].push_back(&other);
    return out;
}

bool credible(const GammaLine& line, const LineLibrary& library, const PeakEnergies& peaks,
              double tolerance, double significance) {
    if (line.nuclide == annihilation_name) return true;  // any positron or pair makes it
    for (const auto& other : library.lines) {
        if (other.nuclide != line.nuclide || &other == &line) continue;
        const bool stronger = other.probability > line.probability &&
                              ((other.energy >= 100.0 && other.energy <= line.energy) ||
                               other.probability > 2.0 * line.probability);
        if (stronger && !peaks.near(other.energy, tolerance)) return false;
        // A line expected from the peak's significance alone may stand as far off under
        // a trial scale as the gain may be.
        const double off = max_gain_change * std::fabs(other.energy - line.energy);
        if (!stronger && expected_significance(line, other, significance) >= expected_line_sigmas &&
            !peaks.near(other.energy, tolerance + off))
            return false;
    }
    return true;
}

// A line anchors the scale when it is credible and no close neighbour is: a peak
// between Am-241 59.54 and Eu-155 60.01 keV is Am-241's unless Eu-155's own stronger
// lines show too.
bool usable(const GammaLine& line, const LineLibrary& library, const Neighbours& neighbours,
            const PeakEnergies& peaks, double tolerance, double significance) {
    if (!credible(line, library, peaks, tolerance, significance)) return false;
    const auto close = neighbours.find(&line);
    if (close == neighbours.end()) return true;
    return std::none_of(close->second.begin(), close->second.end(), [&](const GammaLine* other) {
        return credible(*other, library, peaks, tolerance, significance);
    });
}

}  // namespace sorvane::nuclides::recalibration
