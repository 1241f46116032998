// Synthetic spectra with known truth for judging the runtime: every peak is
// integrated over each channel, the noise is exact Poisson, 0.5 keV per channel,
// live time 3600 s and FWHM^2 = a + b ch with 2.0 channels at 200, 3.8 at 3000.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "analysis/peak_shape.h"
#include "platform/posix_file_system.h"
#include "spectrum/chn_writer.h"
#include "synth_model.h"

namespace {

using namespace sorvane::synth;

// Isolated positions at least `spacing` FWHM apart inside [low, high].
std::vector<double> positions(std::mt19937_64& rng, int count, double low, double high,
                              double spacing) {
    std::vector<double> chosen;
    std::uniform_real_distribution<double> u(low, high);
    for (int attempt = 0; attempt < 100000 && static_cast<int>(chosen.size()) < count; ++attempt) {
        const double c = u(rng);
        bool clear = true;
        for (double other : chosen)
            if (std::fabs(c - other) < spacing * fwhm_at(c)) clear = false;
        if (clear) chosen.push_back(c);
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

Plan plan_for(const std::string& kind, std::mt19937_64& rng) {
    Plan plan;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (kind == "mixed" || kind == "big") {
        const bool big = kind == "big";
        plan.channels = big ? 8801 : 4096;
        // Falls steeply, so the high channels hold 150-count peaks well above the noise.
        plan.flat = 2.0;
        plan.hump = 500.0;
        plan.decay = big ? 1000.0 : 500.0;
        plan.step_fraction = 2e-4;
        const int isolated = big ? 60 : 19;
        auto at = positions(rng, isolated + (big ? 0 : 1), 80.0, plan.channels - 80.0, 10.0);
        for (std::size_t i = 0; i < at.size(); ++i) {
            // A few peaks of exactly 150 counts, the rest spread over 150..100000.
            const double area = i % 6 == 0 ? 150.0 : log_uniform(rng, 150.0, 100000.0);
            if (!big && i + 1 == at.size()) {
                const double major = log_uniform(rng, 4000.0, 40000.0);
                const double gap = 1.2 * fwhm_at(at[i]);
                plan.peaks.push_back({at[i] - gap / 2, major, 0.0, "doublet_4_1.2"});
                plan.peaks.push_back({at[i] + gap / 2, major / 4.0, 0.0, "doublet_4_1.2"});
            } else {
                plan.peaks.push_back({at[i], area, 0.0, "isolated"});
            }
        }
    } else if (kind == "doublets") {
        plan.flat = 60.0;
        plan.hump = 300.0;
        plan.decay = 1500.0;
        const double ratios[] = {1.0, 3.0, 10.0, 100.0};
        const double separations[] = {0.6, 0.9, 1.2, 1.5};
        int slot = 0;
        for (double ratio : ratios) {
            for (double separation : separations) {
                const double centre = 200.0 + 230.0 * slot++ + 20.0 * unit(rng);
                const double gap = separation * fwhm_at(centre);
                char group[48];
                std::snprintf(group, sizeof group, "doublet_%g_%g", ratio, separation);
                // The major member is on the low side in half of the spectra.
                const bool major_low = unit(rng) < 0.5;
                plan.peaks.push_back(
                    {centre - gap / 2, major_low ? 20000.0 : 20000.0 / ratio, 0.0, group});
                plan.peaks.push_back(
                    {centre + gap / 2, major_low ? 20000.0 / ratio : 20000.0, 0.0, group});
            }
        }
    } else if (kind == "weak") {
        plan.flat = 0.0;
        plan.hump = 1000.0;
        plan.decay = 4095.0 / std::log(10.0);  // 1000 at channel 0, 100 at 4095
        const double areas[] = {50.0, 100.0, 150.0, 200.0, 300.0, 400.0};
        auto at = positions(rng, 18, 100.0, 4000.0, 10.0);
        for (std::size_t i = 0; i < at.size(); ++i)
            plan.peaks.push_back({at[i], areas[i % 6], 0.0, "isolated"});
    } else if (kind == "foreign") {
        plan.flat = 30.0;
        plan.hump = 400.0;
        plan.decay = 1200.0;
        auto at = positions(rng, 12, 100.0, 4000.0, 14.0);
        for (std::size_t i = 0; i < at.size(); ++i)
            plan.peaks.push_back({at[i], log_uniform(rng, 2000.0, 100000.0), 0.0, "isolated",
                                  i % 2 ? Shape::wings : Shape::skewed});
    } else if (kind == "edges") {
        // Three strong lines at 662, 1173 and 1332 keV whose edges and backscatter
        // bumps are no peaks, and 12 isolated lines elsewhere.
        plan.flat = 5.0;
        plan.hump = 300.0;
        plan.decay = 1500.0;
        for (double kev : {661.7, 1173.2, 1332.5})
            plan.compton.push_back({kev / 0.5, log_uniform(rng, 2e5, 1e6)});
        for (const auto& line : plan.compton)
            plan.peaks.push_back({line.channel, line.area, 0.0, "isolated"});
        auto at = positions(rng, 12, 100.0, 4000.0, 14.0);
        for (double c : at) {
            bool clear = true;
            for (const auto& line : plan.compton)
                if (std::fabs(c - line.channel) < 14.0 * fwhm_at(c)) clear = false;
            if (clear) plan.peaks.push_back({c, log_uniform(rng, 300.0, 30000.0), 0.0, "isolated"});
        }
    } else if (kind == "closedoublets") {
        // Pairs half and 0.7 of a FWHM apart (1:1, 1:3, 1:10, major 20,000 counts)
        // between eight lone lines of 5,000 to 50,000 counts, from which the widths
        // can be learnt, as in a real spectrum.
        plan.flat = 60.0;
        plan.hump = 300.0;
        plan.decay = 1500.0;
        const double ratios[] = {1.0, 3.0, 10.0};
        const double separations[] = {0.5, 0.7};
        int slot = 0;
        for (double ratio : ratios) {
            for (double separation : separations) {
                const double centre = 300.0 + 600.0 * slot++ + 20.0 * unit(rng);
                const double gap = separation * fwhm_at(centre);
                char group[48];
                std::snprintf(group, sizeof group, "doublet_%g_%g", ratio, separation);
                const bool major_low = unit(rng) < 0.5;
                plan.peaks.push_back(
                    {centre - gap / 2, major_low ? 20000.0 : 20000.0 / ratio, 0.0, group});
                plan.peaks.push_back(
                    {centre + gap / 2, major_low ? 20000.0 / ratio : 20000.0, 0.0, group});
            }
        }
        for (double lone : {100.0, 600.0, 1200.0, 1800.0, 2400.0, 3000.0, 3600.0, 3950.0})
            plan.peaks.push_back({lone, log_uniform(rng, 5000.0, 50000.0), 0.0, "isolated"});
    } else if (kind == "hightails" || kind == "longtails") {
        // Isolated lines with a high-energy tail (pile-up), the area the whole line.
        plan.flat = 30.0;
        plan.hump = 400.0;
        plan.decay = 1200.0;
        auto at = positions(rng, 12, 100.0, 4000.0, 14.0);
        const Shape shape = kind == "hightails" ? Shape::high_tail : Shape::long_high_tail;
        for (double c : at)
            plan.peaks.push_back({c, log_uniform(rng, 2000.0, 100000.0), 0.0, "isolated", shape});
    } else if (kind == "tails") {
        plan.flat = 30.0;
        plan.hump = 400.0;
        plan.decay = 1200.0;
        plan.step_fraction = 2e-4;
        auto at = positions(rng, 12, 100.0, 4000.0, 14.0);
        for (double c : at)
            plan.peaks.push_back(
                {c, log_uniform(rng, 2000.0, 100000.0), 1.2 + 1.3 * unit(rng), "isolated"});
    }
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: synth_spectra KIND COUNT SEED OUT_DIR   (KIND: mixed doublets weak "
                     "closedoublets tails hightails longtails big foreign edges)\n";
        return 2;
    }
    const std::string kind = argv[1];
    const int count = std::stoi(argv[2]);
    const unsigned long seed = std::stoul(argv[3]);
    std::string out = argv[4];
    if (out.back() != '/') out += '/';
    std::mt19937_64 rng(seed);
    sorvane::PosixFileSystem fs;
    std::ofstream truth(out + kind + "_truth.csv");
    truth << "spectrum,channel,area,fwhm,tail,significance,group\n";
    for (int s = 0; s < count; ++s) {
        const Plan plan = plan_for(kind, rng);
        if (plan.peaks.empty()) {
            std::cerr << "unknown kind " << kind << "\n";
            return 2;
        }
        const auto mu = expected(plan);
        sorvane::Spectrum spectrum = noisy_spectrum(mu, rng);
        spectrum.chn_trailer.ecal_c0 = 0.0f;
        spectrum.chn_trailer.ecal_c1 = 0.5f;
        spectrum.chn_trailer.ecal_c2 = 0.0f;
        char name[64];
        std::snprintf(name, sizeof name, "%s_%04d", kind.c_str(), s);
        spectrum.chn_path = out + name + ".chn";
        const auto written = sorvane::write_chn(spectrum, fs);
        if (!written.ok()) {
            std::cerr << spectrum.chn_path << ": " << written.reason << "\n";
            return 1;
        }
        for (const auto& peak : plan.peaks) {
            truth << name << ',' << peak.channel << ',' << peak.area << ',' << fwhm_at(peak.channel)
                  << ',' << peak.tail << ',' << poisson_limited_significance(plan, mu, peak) << ','
                  << peak.group << '\n';
        }
    }
    return 0;
}
