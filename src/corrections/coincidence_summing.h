#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cascade_data.h"
#include "self_attenuation.h"

namespace sorvane::corrections {

// The detector seen from the sample: the full-energy-peak efficiency and the total
// efficiency (any energy deposited) of one photon of energy E keV, and the relative
// standard uncertainty of each, taken as common to all energies.
struct DetectorEfficiencies {
    std::function<double(double)> peak;
    std::function<double(double)> total;
    double peak_relative_uncertainty = 0.0;
    double total_relative_uncertainty = 0.0;
};

// The annihilation photons of a positron fly apart back to back; at most one of
// them reaches the detector.
inline constexpr double annihilation_kev = 510.99895;

// A gamma line's coincidence-summing factor: the counts its peak holds divided by
// the counts it would hold were its photons alone (emission probability times the
// peak efficiency). Below 1 the line loses counts to summing-out, above 1 it gains
// by summing-in; the activity is the counts divided by it.
struct LineSummingFactor {
    double energy_kev = 0.0;
    double photons = 0.0;  // per decay
    double factor = 1.0;
    double d_factor = 0.0;  // from the efficiencies' uncertainties
};

// A peak made only of the sum of two or more photons of one decay, with no gamma
// line of its own in the cascade (Na-22 511 + 1274.5 keV).
struct SumPeak {
    double energy_kev = 0.0;
    double counts_per_decay = 0.0;  // expected peak counts per decay
    std::string made_of;            // "511.0 + 1274.5"
};

// The factors of every placed gamma line of `cascade`, by the level recursion over
// its levels (see docs/coincidence-summing.md).
std::vector<LineSummingFactor> summing_factors(const Cascade& cascade,
                                               const DetectorEfficiencies& detector);

// The same for a sample whose efficiency varies through its volume: each cell of
// `sample` takes the detector's efficiencies times its relative efficiency (peak and
// total alike), and the lines' counts, in their peaks and alone, are summed over the
// cells by their shares of the activity before they are divided. A line loses by
// the mean of the product of its peak efficiency and the other photons' total
// efficiencies at one point, more than the product of the means where both are high
// near the detector. A Marinelli beaker's cells are not used (see SampleCells): its
// factors are those of the mean efficiencies.
std::vector<LineSummingFactor> summing_factors(const Cascade& cascade,
                                               const DetectorEfficiencies& detector,
                                               const SampleCells& sample);

// The factor of the line nearest `energy_kev` within `tolerance_kev`, or nothing.
const LineSummingFactor* factor_near(const std::vector<LineSummingFactor>& factors,
                                     double energy_kev, double tolerance_kev);

// The sum peaks of `cascade` expected above `least_counts_per_decay`.
std::vector<SumPeak> sum_peaks(const Cascade& cascade, const DetectorEfficiencies& detector,
                               double least_counts_per_decay);
// The same over the cells of `sample`, the clean events summed by their shares.
std::vector<SumPeak> sum_peaks(const Cascade& cascade, const DetectorEfficiencies& detector,
                               double least_counts_per_decay, const SampleCells& sample);

}  // namespace sorvane::corrections
