#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane::corrections {

// All intensities below are per decay of the parent (fractions, not percent), as
// the cascades file gives them per 100 decays divided by 100.

// One level of a daughter: how often a decay feeds it directly, and by which mode.
struct CascadeLevel {
    double energy_kev = 0.0;
    double feeding = 0.0;             // direct feeding per decay (any mode)
    double ec_feeding = 0.0;          // the electron-capture part of it
    double positron_feeding = 0.0;    // the positron part of it
    double k_capture_fraction = 0.0;  // P_K of the electron-capture part
};

// One gamma transition between two levels of a daughter.
struct CascadeGamma {
    double from_kev = 0.0;
    double to_kev = 0.0;
    double energy_kev = 0.0;
    double photons = 0.0;      // gamma photons per decay
    double alpha_total = 0.0;  // total conversion coefficient (0 where below 0.001)
    double alpha_k = 0.0;      // K-shell conversion coefficient
};

struct XRayLine {
    double energy_kev = 0.0;
    double photons = 0.0;  // per decay
};

// One decay mode to one daughter: its levels (ground state first, ascending), its
// gamma transitions and the daughter's K X-rays.
struct DecayBranch {
    std::string mode;       // the file's words, "decay mode B- to 60NI; ..."
    double fraction = 1.0;  // of the parent's decays
    std::vector<CascadeLevel> levels;
    std::vector<CascadeGamma> gammas;
    std::vector<XRayLine> k_xrays;
    double fluorescence_yield = 0.0;  // omega_K of the daughter; 0 when not given
    std::size_t unplaced_gammas = 0;  // rows without levels: not part of the cascade

    // The index of the level at `energy_kev` (within 0.05 keV), or levels.size().
    std::size_t level_at(double energy_kev) const;
};

struct Cascade {
    std::string nuclide;
    std::vector<DecayBranch> branches;
    double annihilation_photons = 0.0;  // 511 keV photons per decay, when given
    std::string file;                   // where it was read
};

struct CascadeLibrary {
    std::vector<Cascade> cascades;
    std::vector<std::string> problems;  // "FILE line N: why"

    const Cascade* find(std::string_view nuclide) const;
};

// Reads a cascades file (columns nuclide, kind, from_level_keV, to_level_keV,
// energy_keV, probability_percent, alpha_T, alpha_K, quantity; others are ignored)
// into `library`. Rows of one nuclide follow their "decay mode" branch row; a file
// of a nuclide already held replaces its cascade whole, so a laboratory can add or
// correct nuclides in the same columns. Bad rows are problems naming the file and
// line, and are skipped. Returns how many nuclides the file gave.
std::size_t add_cascades(CascadeLibrary& library, std::string_view text, const std::string& path);

}  // namespace sorvane::corrections
