// Coincidence-summing factors checked on synthetic cascades of known truth: decays of
// the shipped cascades are followed one by one through an invented detector (see
// detector_model.h) at two distances, the clean full-energy events counted per line,
// and the activity of each line found from its counts with and without the factors.
// Usage: bench_summing CASCADES.csv [decays] [seed]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cascade_simulation.h"
#include "corrections/cascade_data.h"
#include "corrections/coincidence_summing.h"
#include "detector_model.h"

using namespace sorvane;

namespace {

struct Tally {
    double sum_w = 0.0, sum_wa = 0.0, z2 = 0.0;
    int lines = 0;
    void add(double a, double u, double truth) {
        sum_w += 1.0 / (u * u);
        sum_wa += a / (u * u);
        z2 += (a - truth) * (a - truth) / (u * u);
        ++lines;
    }
    double mean() const { return sum_wa / sum_w; }
    double mean_u() const { return 1.0 / std::sqrt(sum_w); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_summing CASCADES.csv [decays] [seed]\n");
        return 2;
    }
    const corrections::CascadeLibrary library = bench::read_cascades_file(argv[1]);
    const long decays = argc > 2 ? std::atol(argv[2]) : 2000000;
    std::mt19937_64 random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20021101u);
    const double half_width = 0.3, least_counts = 400.0, sum_peak_least = 50.0;

    std::printf(
        "| nuclide | geometry | lines | summing loss (min..max) | bias uncorrected | "
        "bias corrected | z2 corrected | sum peaks seen | named |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    Tally pooled;
    int sum_seen = 0, sum_named = 0, left_out = 0;
    for (const char* name : {"Co-60", "Ba-133", "Eu-152", "Y-88", "Cs-134", "Na-22"}) {
        const auto* cascade = library.find(name);
        if (!cascade) continue;
        for (const double scale : {1.0, 0.3}) {
            const auto detector = bench::invented_detector(scale);
            const auto count = bench::simulate(*cascade, detector, decays, random);
            const auto factors = corrections::summing_factors(*cascade, detector);
            const auto predicted = corrections::sum_peaks(*cascade, detector, 1e-9);
            Tally corrected, raw;
            double loss_min = 1.0, loss_max = 0.0;
            for (const auto& branch : cascade->branches)
                for (const auto& g : branch.gammas) {
                    const double photons = bench::simulated_photons(*cascade, g);
                    const double alone = photons * detector.peak(g.energy_kev) * decays;
                    if (alone < least_counts) continue;
                    // a line with another line within 1 keV shares its peak: left out
                    int near = 0;
                    for (const auto& b : cascade->branches)
                        for (const auto& o : b.gammas)
                            if (std::abs(o.energy_kev - g.energy_kev) < 1.0) ++near;
                    if (near > 1) continue;
                    // nor one with another sum of radiations (1 % of it or more) that close:
                    // its peak holds both (Eu-152 329.4 keV beside K X-rays + 244.7 keV)
                    bool shared = false;
                    for (const auto& p : predicted)
                        shared = shared || (std::abs(p.energy_kev - g.energy_kev) < 1.0 &&
                                            p.counts_per_decay > 0.01 * alone / decays);
                    if (shared) {
                        ++left_out;
                        continue;
                    }
                    const double counts = count.peak(g.energy_kev, half_width);
                    const auto* f = corrections::factor_near(factors, g.energy_kev, 0.01);
                    if (!f || counts <= 0.0) continue;
                    const double eff = photons * detector.peak(g.energy_kev);
                    const double u = std::sqrt(counts) / eff;
                    const double z = (counts / eff / f->factor - decays) / (u / f->factor);
                    if (std::abs(z) > 3.0)
                        std::fprintf(stderr, "%s %.1f keV: z = %.1f (factor %.4f)\n", name,
                                     g.energy_kev, z, f->factor);
                    raw.add(counts / eff, u, decays);
                    corrected.add(counts / eff / f->factor, u / f->factor, decays);
                    pooled.add(counts / eff / f->factor, u / f->factor, decays);
                    if (f->factor < 1.0) {
                        loss_min = std::min(loss_min, 1.0 - f->factor);
                        loss_max = std::max(loss_max, 1.0 - f->factor);
                    }
                }
            // Sum peaks: clean-event clusters above 100 keV that are no gamma line.
            int seen = 0, named = 0;
            for (const auto& [e, cluster] : bench::clean_clusters(count)) {
                if (cluster < sum_peak_least) continue;
                // the annihilation line is a library entry of its own, not a sum peak
                if (e < 100.0 || std::abs(e - corrections::annihilation_kev) < 1.0) continue;
                bool line = false;
                for (const auto& b : cascade->branches)
                    for (const auto& o : b.gammas) line = line || std::abs(o.energy_kev - e) < 1.0;
                if (line) continue;
                ++seen;
                const bool predicted_there =
                    std::any_of(predicted.begin(), predicted.end(),
                                [&](const auto& p) { return std::abs(p.energy_kev - e) < 1.0; });
                if (predicted_there)
                    ++named;
                else
                    std::fprintf(stderr, "%s: sum peak at %.2f keV (%.0f counts) not named\n", name,
                                 e, cluster);
            }
            sum_seen += seen;
            sum_named += named;
            if (raw.lines == 0) continue;
            std::printf(
                "| %s | %s | %d | %.1f..%.1f %% | %+.2f %% | %+.2f %% (+-%.2f) | %.2f | %d | %d "
                "|\n",
                name, scale == 1.0 ? "end cap" : "farther (x0.3)", corrected.lines,
                100.0 * loss_min, 100.0 * loss_max, 100.0 * (raw.mean() / decays - 1.0),
                100.0 * (corrected.mean() / decays - 1.0), 100.0 * corrected.mean_u() / decays,
                corrected.z2 / corrected.lines, seen, named);
        }
    }
    std::printf(
        "\nAll lines: %d, mean z2 %.3f (%d lines left out: a sum peak within 1 keV); "
        "sum peaks named %d of %d (%.1f %%)\n",
        pooled.lines, pooled.z2 / pooled.lines, left_out, sum_named, sum_seen,
        sum_seen ? 100.0 * sum_named / sum_seen : 100.0);
    return 0;
}
