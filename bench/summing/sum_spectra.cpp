// Synthetic spectra of cascades for the whole runtime: decays of the shipped cascades
// are followed one by one through the smooth invented end-cap detector
// (detector_model.h) and at 0.3 of its efficiencies; every event's deposited energy (full-energy
// photons, and partial deposits spread evenly up to the photon's Compton edge) is smeared by a
// resolution of FWHM^2 = 0.36 + 0.0015 E keV^2 and counted into a CHN file of 8192
// channels of 0.4 keV, over a flat room background of 2 counts a channel. Beside the
// spectra: each geometry's peak-efficiency curve and the detector's peak-to-total
// curve in the runtime's own formats, and truth.csv with each spectrum's nuclide, its
// activity, its gamma lines' clean counts and the sum peaks its clean events make
// (clusters of at least 50 counts above 100 keV that are no gamma line, no X-ray and
// not the annihilation line).
// Usage: sum_spectra CASCADES.csv OUT_DIR [decays] [seed]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "activity/efficiency_curve.h"
#include "activity/efficiency_file.h"
#include "cascade_simulation.h"
#include "corrections/cascade_data.h"
#include "corrections/coincidence_summing.h"
#include "corrections/peak_to_total.h"
#include "detector_model.h"
#include "platform/real_platform.h"
#include "spectrum/chn_writer.h"

using namespace sorvane;

namespace {

constexpr double kev_per_channel = 0.4;
constexpr int channels = 8192;
constexpr double activity_bq = 2000.0;
constexpr double room_background = 2.0;  // counts a channel
constexpr double sum_peak_least = 50.0;

double fwhm_kev(double e) {
    return std::sqrt(0.36 + 0.0015 * e);
}

// The curves reach down to the K X-rays of the cascades (Sr 14 keV for Y-88), as a
// laboratory calibrating with low-energy standards would have them: the peak
// efficiency of each geometry, order 5 in ln E, points 0.5 % uncertain, and the
// detector's peak-to-total, order 3. How far each follows the model is printed.
constexpr double curve_low_kev = 12.0, curve_high_kev = 3000.0, curve_step = 1.1;

activity::EfficiencyCurve efficiency_curve(const corrections::DetectorEfficiencies& detector,
                                           const std::string& name) {
    std::vector<activity::EfficiencyPoint> points;
    for (double e = curve_low_kev; e <= curve_high_kev; e *= curve_step) {
        const double eff = detector.peak(e);
        points.push_back({"model", e, eff, 0.005 * eff, 0.0, 0.0});
    }
    const activity::EfficiencyCurve curve = activity::fit_efficiency(points, 5, name).curve;
    double worst = 0.0, at = 0.0;
    for (const auto& p : points) {
        const double off =
            activity::evaluate_efficiency(curve, p.energy_kev).efficiency / p.efficiency - 1.0;
        if (std::abs(off) > std::abs(worst)) worst = off, at = p.energy_kev;
    }
    std::printf("%s: efficiency curve within %+.1f %% of the model (worst at %.0f keV)\n",
                name.c_str(), 100.0 * worst, at);
    return curve;
}

std::string peak_to_total_file(const corrections::DetectorEfficiencies& detector) {
    std::vector<corrections::PeakToTotalPoint> points;
    for (double e = curve_low_kev; e <= curve_high_kev; e *= curve_step)
        points.push_back({"model", e, detector.peak(e) / detector.total(e),
                          0.002 * detector.peak(e) / detector.total(e)});
    const auto curve = *corrections::fit_peak_to_total(points, 3);
    double worst = 0.0, at = 0.0;
    for (const auto& p : points) {
        const double off = corrections::peak_to_total_at(curve, p.energy_kev) / p.ratio - 1.0;
        if (std::abs(off) > std::abs(worst)) worst = off, at = p.energy_kev;
    }
    std::printf("peak-to-total curve within %+.1f %% of the model (worst at %.0f keV)\n",
                100.0 * worst, at);
    return corrections::peak_to_total_text(curve);
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// The spectrum of the events: each smeared by the resolution, then the room's counts.
void write_spectrum(const std::vector<double>& events, double live_s, const std::string& path,
                    std::mt19937_64& random) {
    Spectrum spectrum;
    spectrum.chn_path = path;
    std::normal_distribution<double> unit(0.0, 1.0);
    std::poisson_distribution<int> room(room_background);
    for (int ch = 0; ch < channels; ++ch)
        spectrum.counts[static_cast<std::size_t>(ch)] = room(random);
    for (double e : events) {
        const double smeared = e + unit(random) * fwhm_kev(e) / 2.354820045;
        const long ch = std::lround(smeared / kev_per_channel);
        if (ch >= 0 && ch < channels) ++spectrum.counts[static_cast<std::size_t>(ch)];
    }
    ChnHeader& h = spectrum.chn_header;
    h.mca_number = 1;
    h.segment = 1;
    assign_text(h.start_sec, "00");
    h.real_time = static_cast<std::int32_t>(std::lround(live_s * 50.0));
    h.live_time = h.real_time;
    assign_text(h.start_date, "01Jan261");
    assign_text(h.start_time, "120000");
    h.num_channels = static_cast<std::int16_t>(channels);
    spectrum.chn_trailer.ecal_c0 = 0.0f;
    spectrum.chn_trailer.ecal_c1 = static_cast<float>(kev_per_channel);
    RealFileSystem fs;
    const FsResult wrote = write_chn(spectrum, fs);
    if (!wrote.ok())
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), wrote.reason.c_str());
}

// Clean-event clusters (0.5 keV apart at most) that no radiation of the scheme makes
// alone: no X-ray, and no gamma line giving 1 % of the cluster by itself (a crossover
// line such as Co-60's 2505.7 keV leaves its sum peak a sum peak).
std::vector<std::pair<double, double>> sum_clusters(
    const bench::SimulatedCount& count, const corrections::Cascade& cascade,
    const corrections::DetectorEfficiencies& detector) {
    std::vector<std::pair<double, double>> out;
    for (const auto& [e, n] : bench::clean_clusters(count)) {
        if (n < sum_peak_least || e < 100.0 || std::abs(e - corrections::annihilation_kev) < 1.0)
            continue;
        bool alone = false;
        for (const auto& b : cascade.branches) {
            for (const auto& g : b.gammas)
                alone = alone || (std::abs(g.energy_kev - e) < 1.0 &&
                                  bench::simulated_photons(cascade, g) *
                                          detector.peak(g.energy_kev) * count.decays >=
                                      0.01 * n);
            for (const auto& x : b.k_xrays) alone = alone || std::abs(x.energy_kev - e) < 1.0;
        }
        if (!alone) out.emplace_back(e, n);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sum_spectra CASCADES.csv OUT_DIR [decays] [seed]\n");
        return 2;
    }
    const corrections::CascadeLibrary library = bench::read_cascades_file(argv[1]);
    const std::string out = std::string(argv[2]) + "/";
    const long decays = argc > 3 ? std::atol(argv[3]) : 4000000;
    std::mt19937_64 random(argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 20021101u);
    const double live_s = decays / activity_bq;
    std::ofstream truth(out + "truth.csv");
    truth << "geometry,spectrum,kind,nuclide,value,counts\n";
    for (const auto& [geometry, scale] : {std::pair{"endcap", 1.0}, std::pair{"far", 0.3}}) {
        const auto detector = bench::smooth_detector(scale);
        const std::string folder = out + geometry + "/";
        std::system(("mkdir -p '" + folder + "'").c_str());
        write_text(folder + "model.eff",
                   activity::render_efficiency_file(efficiency_curve(detector, geometry)));
        write_text(folder + "model_pt.txt", peak_to_total_file(detector));
        for (const char* name : {"Co-60", "Ba-133", "Eu-152", "Y-88", "Cs-134", "Na-22"}) {
            const auto* cascade = library.find(name);
            if (!cascade) continue;
            const auto count = bench::simulate(*cascade, detector, decays, random, true);
            std::string base = name;
            base.erase(std::remove(base.begin(), base.end(), '-'), base.end());
            write_spectrum(count.events, live_s, folder + base + ".chn", random);
            truth << geometry << ',' << base << ",activity," << name << ',' << activity_bq << ",\n";
            // The model's factors with the detector's own efficiencies, beside which the
            // runtime's, from its fitted curves, can be read.
            for (const auto& f : corrections::summing_factors(*cascade, detector))
                truth << geometry << ',' << base << ",factor," << name << ',' << f.energy_kev << ','
                      << f.factor << '\n';
            // A line's counts as its photons alone would give them (no summing), so that
            // a crossover gamma (Co-60 2505.7 keV) does not pass for its sum peak.
            // Each gamma's photons per decay from the cascade's levels: they differ from the
            // line library's emission probabilities by up to 1 % (Ba-133), so the runtime's
            // activity is compared with what the library gives for these photons.
            for (const auto& b : cascade->branches)
                for (const auto& g : b.gammas)
                    truth << geometry << ',' << base << ",yield," << name << ',' << g.energy_kev
                          << ',' << bench::simulated_photons(*cascade, g) << '\n';
            for (const auto& b : cascade->branches)
                for (const auto& g : b.gammas)
                    if (const double n = bench::simulated_photons(*cascade, g) *
                                         detector.peak(g.energy_kev) * decays;
                        n >= sum_peak_least)
                        truth << geometry << ',' << base << ",line," << name << ',' << g.energy_kev
                              << ',' << n << '\n';
            for (const auto& [e, n] : sum_clusters(count, *cascade, detector))
                truth << geometry << ',' << base << ",sum," << name << ',' << e << ',' << n << '\n';
        }
    }
    std::printf("spectra, curves and truth.csv written to %s (%ld decays each, %.0f s)\n",
                out.c_str(), decays, live_s);
    return 0;
}
