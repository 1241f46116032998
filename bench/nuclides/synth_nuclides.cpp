// Synthetic spectra of known nuclide mixtures for judging identification: 1 to 6
// library nuclides at random activities, their lines drawn with the runtime
// benchmark's peak and continuum model under a slightly curved energy scale, and the
// CHN file given a shifted and stretched straight calibration, as a drifted
// detector's file would be.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "../runtime/synth_model.h"
#include "nuclides/library_files.h"
#include "platform/posix_file_system.h"
#include "spectrum/chn_writer.h"

namespace {

using namespace sorvane::synth;

constexpr int channels = 8192;
// The spectrum's true scale: 0.35 keV a channel from 0.3 keV.
constexpr double true_c0 = 0.3, true_c1 = 0.35, true_c2 = 0.0;

double true_energy(double ch) {
    return true_c0 + (true_c1 + true_c2 * ch) * ch;
}

double true_channel(double energy) {
    double ch = (energy - true_c0) / true_c1;
    for (int i = 0; i < 10; ++i) ch -= (true_energy(ch) - energy) / (true_c1 + 2 * true_c2 * ch);
    return ch;
}

// A coaxial detector's full-energy efficiency, relative: rising through the entrance
// window below 100 keV, falling as E^-0.9 above.
double efficiency(double kev) {
    return std::pow(kev / 120.0, -0.9) * (1.0 - std::exp(-std::pow(kev / 45.0, 2.5)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: synth_nuclides LIBRARY_DIR COUNT SEED OUT_DIR\n";
        return 2;
    }
    sorvane::PosixFileSystem fs;
    std::string library_dir = argv[1];
    if (library_dir.back() != '/') library_dir += '/';
    const auto library = sorvane::nuclides::load_line_library(fs, {}, library_dir);
    if (!library.problems.empty()) {
        std::cerr << library.problems.front() << "\n";
        return 1;
    }
    std::vector<std::string> names;
    for (const auto& n : library.nuclides)
        if (n.name != sorvane::nuclides::annihilation_name && !library.lines_of(n.name).empty())
            names.push_back(n.name);
    const int count = std::stoi(argv[2]);
    std::mt19937_64 rng(std::stoul(argv[3]));
    std::string out = argv[4];
    if (out.back() != '/') out += '/';
    std::ofstream truth(out + "truth.csv");
    truth << "spectrum,kind,name,value\n";
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int s = 0; s < count; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "mix_%04d", s);
        Plan plan;
        plan.channels = channels;
        plan.flat = 2.0 + 8.0 * unit(rng);
        plan.hump = log_uniform(rng, 100.0, 2000.0);
        plan.decay = 800.0 + 1500.0 * unit(rng);
        plan.step_fraction = 2e-4;
        std::shuffle(names.begin(), names.end(), rng);
        const int nuclides = 1 + static_cast<int>(unit(rng) * 6.0);
        std::vector<std::pair<std::string, std::vector<std::size_t>>> chosen;
        for (int n = 0; n < nuclides; ++n) {
            const auto lines = library.lines_of(names[static_cast<std::size_t>(n)]);
            double strongest = 0.0;
            for (const auto* line : lines)
                strongest = std::max(strongest, line->probability * efficiency(line->energy));
            // The activity as the area of the nuclide's strongest line.
            const double scale = log_uniform(rng, 30.0, 200000.0) / strongest;
            std::vector<std::size_t> drawn;
            for (const auto* line : lines) {
                const double ch = true_channel(line->energy);
                if (ch < 20 || ch > channels - 20) continue;
                const double area = scale * line->probability * efficiency(line->energy);
                drawn.push_back(plan.peaks.size());
                plan.peaks.push_back({ch, area, 0.0, line->nuclide});
            }
            chosen.push_back({names[static_cast<std::size_t>(n)], drawn});
        }
        const auto mu = expected(plan);
        for (const auto& [nuclide, drawn] : chosen) {
            double best = 0.0;
            for (std::size_t i : drawn)
                best = std::max(best, poisson_limited_significance(plan, mu, plan.peaks[i]));
            truth << name << ",nuclide," << nuclide << "," << best << "\n";
        }
        truth << name << ",truth_channel_1500,"
              << "-," << true_channel(1500.0) << "\n";
        sorvane::Spectrum spectrum = noisy_spectrum(mu, rng);
        // The file's straight calibration, up to 1.5 keV off and 0.2 % stretched.
        spectrum.chn_trailer.ecal_c0 = static_cast<float>(true_c0 + 3.0 * (unit(rng) - 0.5));
        spectrum.chn_trailer.ecal_c1 =
            static_cast<float>(true_c1 * (1.0 + 0.004 * (unit(rng) - 0.5)));
        spectrum.chn_trailer.ecal_c2 = 0.0f;
        spectrum.chn_path = out + name + ".chn";
        const auto written = sorvane::write_chn(spectrum, fs);
        if (!written.ok()) {
            std::cerr << spectrum.chn_path << ": " << written.reason << "\n";
            return 1;
        }
    }
    return 0;
}
