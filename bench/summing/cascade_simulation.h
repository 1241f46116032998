#pragma once

#include <map>
#include <random>
#include <utility>
#include <vector>

#include "corrections/cascade_data.h"
#include "corrections/coincidence_summing.h"

namespace sorvane::bench {

// Counts of the "clean" events of a simulated count: decays whose detected photons
// all gave their full energy, keyed by the summed energy in 0.01 keV. Events with a
// partial deposit (Compton, escape) go to the continuum and are only counted.
struct SimulatedCount {
    std::map<long, double> full_energy;
    double continuum = 0.0;
    double decays = 0.0;
    // When asked for, every event's deposited energy in keV: a partial deposit is
    // taken as spread evenly from 0 to the photon's Compton edge.
    std::vector<double> events;

    // The clean events within `half_width_kev` of `energy_kev`.
    double peak(double energy_kev, double half_width_kev) const;
};

// The cascades of a file, its problems printed to stderr.
corrections::CascadeLibrary read_cascades_file(const char* path);

// The clean events in clusters no more than 0.5 keV apart: each cluster's mean energy
// and its counts, in energy order.
std::vector<std::pair<double, double>> clean_clusters(const SimulatedCount& count);

// Photons of the gamma `g` per decay in the simulated world: the level populations of
// the scheme as the simulation follows it (feedings normalised to one decay).
double simulated_photons(const corrections::Cascade& cascade, const corrections::CascadeGamma& g);

// Follows `decays` decays of `cascade` one by one: the feeding (by the level
// feedings: EC with its K X-ray after K capture, a positron with its two back-to-back
// annihilation photons, beta- with nothing), then level by level down, each
// transition a photon or a conversion electron (then maybe a K X-ray), each photon
// detected in full, in part or not at all by the detector's efficiencies.
SimulatedCount simulate(const corrections::Cascade& cascade,
                        const corrections::DetectorEfficiencies& detector, long decays,
                        std::mt19937_64& random, bool keep_events = false);

}  // namespace sorvane::bench
