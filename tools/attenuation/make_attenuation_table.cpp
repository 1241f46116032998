// Writes the elements' total photon mass attenuation coefficients (coherent
// scattering included) from xraylib to the table the self-attenuation correction
// reads (data/nuclides/mass_attenuation.csv): Z 1-92, 40 energies from 20 to 800 keV
// spaced evenly in ln E. xraylib's tables end at 800 keV.
//   make_attenuation_table > data/nuclides/mass_attenuation.csv
#include <xraylib.h>

#include <cmath>
#include <cstdio>

int main() {
    constexpr int points = 40;
    constexpr double low = 20.0, high = 800.0;
    std::printf(
        "# Total photon mass attenuation coefficients (cm2/g, coherent scattering "
        "included) of the elements,\n# from xraylib %d.%d.%d (T. Schoonjans et al., "
        "Spectrochim. Acta B 66 (2011) 776), CS_Total(Z, E),\n# written by "
        "tools/attenuation/make_attenuation_table.cpp.\n",
        XRAYLIB_MAJOR, XRAYLIB_MINOR, XRAYLIB_MICRO);
    std::printf("z,energy_keV,cm2_per_g\n");
    for (int z = 1; z <= 92; ++z)
        for (int i = 0; i < points; ++i) {
            const double e =
                i == points - 1 ? high : low * std::exp(std::log(high / low) * i / (points - 1));
            xrl_error* error = nullptr;
            const double value = CS_Total(z, e, &error);
            if (error) {
                std::fprintf(stderr, "Z %d E %g: %s\n", z, e, error->message);
                xrl_error_free(error);
                return 1;
            }
            std::printf("%d,%.6g,%.6g\n", z, e, value);
        }
    return 0;
}
