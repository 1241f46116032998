#include "mass_attenuation.h"

#include <cmath>

#ifdef SORVANE_HAVE_XRAYLIB
#include <xraylib.h>
#endif

namespace sorvane::corrections {
namespace {

constexpr double electron_kev = 510.99895;
constexpr double table_end_kev = 800.0;  // xraylib's cross sections go no further

}  // namespace

double klein_nishina(double energy_kev) {
    const double k = energy_kev / electron_kev;
    const double l = std::log(1.0 + 2.0 * k);
    return (1.0 + k) / (k * k) * (2.0 * (1.0 + k) / (1.0 + 2.0 * k) - l / k) + l / (2.0 * k) -
           (1.0 + 3.0 * k) / ((1.0 + 2.0 * k) * (1.0 + 2.0 * k));
}

#ifdef SORVANE_HAVE_XRAYLIB

bool attenuation_available() {
    return true;
}

MassAttenuation mass_attenuation(const Composition& composition, double energy_kev) {
    if (!(energy_kev > 1.0)) return {std::nullopt, "the energy must be above 1 keV"};
    const double at = std::min(energy_kev, table_end_kev);
    const double carried =
        energy_kev > table_end_kev ? klein_nishina(energy_kev) / klein_nishina(table_end_kev) : 1.0;
    double sum = 0.0;
    for (const auto& element : composition) {
        xrl_error* error = nullptr;
        const double value = CS_Total(element.z, at, &error);
        if (error) {
            const std::string why = error->message;
            xrl_error_free(error);
            return {std::nullopt, "xraylib: " + why};
        }
        sum += element.mass_fraction * value * carried;
    }
    return {sum, {}};
}

#else

bool attenuation_available() {
    return false;
}

MassAttenuation mass_attenuation(const Composition&, double) {
    return {std::nullopt, "self-attenuation is not available in this build (no xraylib)"};
}

#endif

}  // namespace sorvane::corrections
