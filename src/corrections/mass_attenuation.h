#pragma once

#include <optional>
#include <string>

#include "sample_matter.h"

namespace sorvane::corrections {

// Whether this build can compute attenuation (it needs xraylib; the Windows build has
// none).
bool attenuation_available();

struct MassAttenuation {
    std::optional<double> cm2_per_g;  // total, coherent scattering included
    std::string problem;              // why there is none
};

// mu/rho of `composition` at `energy_kev`: the mass-weighted sum of the elements'
// total cross sections from xraylib (T. Schoonjans et al., Spectrochim. Acta B 66
// (2011) 776), whose tables end at 800 keV. Above that each element's value at 800 keV
// is carried on by the Klein-Nishina cross section per electron (O. Klein, Y. Nishina,
// Z. Phys. 52 (1929) 853): Compton scattering is nearly all of it there for the
// light matrices of environmental samples; pair production (about 2 % of water's
// attenuation at 2.6 MeV) is left out.
MassAttenuation mass_attenuation(const Composition& composition, double energy_kev);

// The Klein-Nishina total cross section per electron in units of 2 pi r_e^2.
double klein_nishina(double energy_kev);

}  // namespace sorvane::corrections
