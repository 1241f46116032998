#pragma once

#include <span>
#include <string>
#include <vector>

namespace sorvane {

struct ReportedPeak;

// Energies (keV) where a line of `energy` keV leaves Compton-scattering features: the
// Compton edge, the largest energy an electron takes in one scattering,
// E (1 - 1 / (1 + 2 E / m c^2)), and the backscatter peak, E / (1 + 2 E / m c^2)
// (Compton kinematics, e.g. G. F. Knoll, Radiation Detection and Measurement, 4th
// ed., ch. 10).
double compton_edge(double energy);
double backscatter_peak(double energy);

// Removes the automatic peaks that are the Compton edge or the backscatter bump of a
// far stronger line rather than lines of their own: near such an energy, at most a
// hundredth of its area, and fitted poorly. Returns how many were removed.
std::size_t drop_scatter_features(std::vector<ReportedPeak>& peaks);

}  // namespace sorvane
