#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sample_matter.h"

namespace sorvane::corrections {

// The bundled table of the elements' mass attenuation coefficients, beside the line
// library; written from xraylib by tools/attenuation/make_attenuation_table.cpp.
inline constexpr std::string_view bundled_attenuation_file = "mass_attenuation.csv";

// Each element's total mass attenuation coefficient (cm2/g) at the table's energies.
struct AttenuationTable {
    struct Point {
        double energy_kev = 0.0;
        double cm2_per_g = 0.0;
    };
    std::vector<std::vector<Point>> by_z;  // index Z, energies ascending
};

// Reads the table (columns z, energy_keV, cm2_per_g; "#" lines are comments); nothing,
// with the file's line in the problem, when a row cannot be read.
std::optional<AttenuationTable> read_attenuation_table(std::string_view text,
                                                       const std::string& path,
                                                       std::string& problem);

struct MassAttenuation {
    std::optional<double> cm2_per_g;  // total, coherent scattering included
    std::string problem;              // why there is none
};

// mu/rho of `composition` at `energy_kev`: the mass-weighted sum of the elements'
// values, interpolated linearly in ln mu - ln E between the table's energies (which
// come from xraylib, T. Schoonjans et al., Spectrochim. Acta B 66 (2011) 776, whose
// cross sections end at 800 keV). Above the table each element's last value is carried
// on by the Klein-Nishina cross section per electron (O. Klein, Y. Nishina, Z. Phys. 52
// (1929) 853): Compton scattering is nearly all of it there for the light matrices of
// environmental samples; pair production (about 2 % of water's attenuation at 2.6 MeV)
// is left out. Below the table's first energy there is no value.
MassAttenuation mass_attenuation(const AttenuationTable& table, const Composition& composition,
                                 double energy_kev);

// The Klein-Nishina total cross section per electron in units of 2 pi r_e^2.
double klein_nishina(double energy_kev);

}  // namespace sorvane::corrections
