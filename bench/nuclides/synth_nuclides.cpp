// Synthetic spectra of known nuclide mixtures for judging identification and the
// activity step: 1 to 6 library nuclides at random activities, their lines drawn
// with the runtime benchmark's peak and continuum model, and the CHN file given a
// shifted and stretched straight calibration, as a drifted detector's file would be.
// Besides plain mixtures the set holds the cases real spectra fail on: blanks,
// unresolved doublets (Ba-133), absent low-energy lines (Sb-125), a strong line of one
// nuclide beside a weak one of another (Am-241 and Eu-155, Co-57 and Eu-152), spectra
// whose file carries no calibration, and (with a reference time long before the count)
// short-lived nuclides.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "../runtime/synth_model.h"
#include "activity/efficiency_curve.h"
#include "activity/efficiency_file.h"
#include "nuclides/library_files.h"
#include "platform/posix_file_system.h"
#include "spectrum/chn_writer.h"

namespace {

using namespace sorvane::synth;

constexpr int channels = 8192;
// The spectrum's true scale: 0.35 keV a channel from 0.3 keV.
constexpr double true_c0 = 0.3, true_c1 = 0.35, true_c2 = 0.0;
// The noisy_spectrum header: 3600 s live, 3700 s real, started 2026-12-08 12:00:00.
constexpr double live_s = 3600.0, real_s = 3700.0;
constexpr const char* start_text = "2026-12-08 12:00:00";
// The efficiency curve file covers this range; below it lines keep the detector's
// roll-over but the curve says nothing.
constexpr double curve_low_kev = 45.0, curve_high_kev = 2900.0;

double true_energy(double ch) {
    return true_c0 + (true_c1 + true_c2 * ch) * ch;
}

double true_channel(double energy) {
    double ch = (energy - true_c0) / true_c1;
    for (int i = 0; i < 10; ++i) ch -= (true_energy(ch) - energy) / (true_c1 + 2 * true_c2 * ch);
    return ch;
}

// A coaxial detector's full-energy efficiency: rising through the entrance window
// below 100 keV, falling as E^-0.9 above, 5 % near 120 keV.
double detector_efficiency(double kev) {
    return 0.05 * std::pow(kev / 120.0, -0.9) * (1.0 - std::exp(-std::pow(kev / 45.0, 2.5)));
}

// The curve the runtime is given: a fifth-order fit of the detector's efficiency
// over the curve's range. Inside that range the spectra are drawn from the curve
// itself, so that the activities test the runtime and not the fit.
sorvane::activity::EfficiencyCurve bench_curve() {
    std::vector<sorvane::activity::EfficiencyPoint> points;
    for (int i = 0; i <= 30; ++i) {
        const double e = curve_low_kev * std::pow(curve_high_kev / curve_low_kev, i / 30.0);
        const double eff = detector_efficiency(e);
        points.push_back({"bench", e, eff, 0.002 * eff});
    }
    return sorvane::activity::fit_efficiency(points, 5, "bench detector, 0.2 % points").curve;
}

struct Options {
    int count = 300;
    unsigned long seed = 17;
    double reference_days_before = 0.0;  // > 0: the late batch
    std::string out;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::cerr
            << "usage: synth_nuclides LIBRARY_DIR COUNT SEED OUT_DIR [REFERENCE_DAYS_BEFORE]\n";
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
    Options o;
    o.count = std::stoi(argv[2]);
    o.seed = std::stoul(argv[3]);
    o.out = argv[4];
    if (o.out.back() != '/') o.out += '/';
    if (argc == 6) o.reference_days_before = std::stod(argv[5]);
    const bool late = o.reference_days_before > 0.0;

    const auto curve = bench_curve();
    fs.write_file(o.out + "bench_efficiency.txt", sorvane::activity::render_efficiency_file(curve));
    auto efficiency = [&curve](double kev) {
        if (kev < curve.energy_min_kev || kev > curve.energy_max_kev)
            return detector_efficiency(kev);
        return sorvane::activity::evaluate_efficiency(curve, kev).efficiency;
    };

    std::vector<std::string> names;
    for (const auto& n : library.nuclides)
        if (!library.special(n.name) && !library.lines_of(n.name).empty()) names.push_back(n.name);
    std::mt19937_64 rng(o.seed);
    std::ofstream truth(o.out + "truth.csv");
    truth << "spectrum,kind,name,value\n";
    char reference[32];
    {
        // The reference time so many days before the start (whole days: same clock time).
        const int days = static_cast<int>(std::lround(o.reference_days_before));
        std::tm t{};
        t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 8 - days, t.tm_hour = 12;
        const std::time_t at = timegm(&t);
        std::strftime(reference, sizeof reference, "%Y-%m-%d %H:%M:%S", gmtime(&at));
    }
    truth << "-,reference_time,-," << (late ? reference : start_text) << "\n";
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int s = 0; s < o.count; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "mix_%04d", s);
        // The case this spectrum stands for; the late batch holds plain mixtures.
        static const char* kinds[] = {
            "blank", "doublet", "absent_low", "conflict", "no_calibration",
            "mix",   "mix",     "mix",        "mix",      "mix"};
        const std::string kind = late ? "late" : kinds[s % 10];
        Plan plan;
        plan.channels = channels;
        plan.flat = 2.0 + 8.0 * unit(rng);
        plan.hump = log_uniform(rng, 100.0, 2000.0);
        plan.decay = 800.0 + 1500.0 * unit(rng);
        plan.step_fraction = 2e-4;
        std::shuffle(names.begin(), names.end(), rng);
        std::vector<std::string> drawn_names;
        if (kind == "doublet") drawn_names.push_back("Ba-133");
        if (kind == "absent_low") drawn_names.push_back("Sb-125");
        if (kind == "conflict") {
            drawn_names.push_back(unit(rng) < 0.5 ? "Am-241" : "Co-57");
            drawn_names.push_back(drawn_names.back() == "Am-241" ? "Eu-155" : "Eu-152");
        }
        const int forced = static_cast<int>(drawn_names.size());
        const int total = kind == "blank"
                              ? 0
                              : forced + (forced > 0 ? static_cast<int>(unit(rng) * 4.0)
                                                     : 1 + static_cast<int>(unit(rng) * 6.0));
        for (const auto& n : names) {
            if (static_cast<int>(drawn_names.size()) >= total) break;
            if (std::find(drawn_names.begin(), drawn_names.end(), n) == drawn_names.end())
                drawn_names.push_back(n);
        }
        truth << name << ",kind," << kind << ",-\n";
        struct Drawn {
            std::string nuclide;
            std::vector<std::size_t> peaks;
            double activity = 0.0;  // Bq at the reference time
        };
        std::vector<Drawn> chosen;
        double first_top_area = 0.0;
        for (std::size_t n = 0; n < drawn_names.size(); ++n) {
            const std::string& nuclide = drawn_names[n];
            const auto lines = library.lines_of(nuclide);
            const auto* facts = library.facts(nuclide);
            const double half_life = facts ? facts->half_life_seconds() : 0.0;
            const double lambda = half_life > 0.0 ? std::log(2.0) / half_life : 0.0;
            // Decay during the count: the mean of exp(-lambda t) over the real time.
            const double during =
                lambda > 0.0 ? -std::expm1(-lambda * real_s) / (lambda * real_s) : 1.0;
            double strongest = 0.0;
            for (const auto* line : lines)
                strongest =
                    std::max(strongest, line->probability / 100.0 * efficiency(line->energy));
            // The activity at the start, set by the area of the nuclide's strongest line;
            // in a conflict the second (weak-line) nuclide is 3 to 30 times weaker.
            double top_area = log_uniform(rng, 30.0, 200000.0);
            if (kind == "conflict" && n == 0) top_area = log_uniform(rng, 3000.0, 200000.0);
            if (kind == "conflict" && n == 1)
                top_area = first_top_area / log_uniform(rng, 3.0, 30.0);
            if (n == 0) first_top_area = top_area;
            const double activity_start = top_area / (live_s * strongest * during);
            const double days = o.reference_days_before * 86400.0;
            Drawn d{nuclide, {}, activity_start * std::exp(lambda * days)};
            for (const auto* line : lines) {
                const double ch = true_channel(line->energy);
                if (ch < 20 || ch > channels - 20) continue;
                // Low-energy lines absorbed in the sample (below the curve's range).
                if (kind == "absent_low" && line->energy < curve_low_kev) continue;
                // The true emission probability, drawn from its stated uncertainty.
                const double p =
                    std::max(0.0, (line->probability + line->d_probability * normal(rng)) / 100.0);
                const double area = activity_start * live_s * p * efficiency(line->energy) * during;
                d.peaks.push_back(plan.peaks.size());
                plan.peaks.push_back({ch, area, 0.0, line->nuclide});
            }
            chosen.push_back(std::move(d));
        }
        const auto mu = expected(plan);
        for (const auto& d : chosen) {
            double best = 0.0;
            for (std::size_t i : d.peaks)
                best = std::max(best, poisson_limited_significance(plan, mu, plan.peaks[i]));
            truth << name << ",nuclide," << d.nuclide << "," << best << "\n";
            truth << name << ",activity," << d.nuclide << "," << d.activity << "\n";
        }
        truth << name << ",truth_channel_1500,"
              << "-," << true_channel(1500.0) << "\n";
        sorvane::Spectrum spectrum = noisy_spectrum(mu, rng);
        // The file's straight calibration, up to 1.5 keV off and 0.2 % stretched; none
        // (what a file without one leaves: 0, 1, 0) for the uncalibrated case.
        spectrum.chn_trailer.ecal_c0 = static_cast<float>(true_c0 + 3.0 * (unit(rng) - 0.5));
        spectrum.chn_trailer.ecal_c1 =
            static_cast<float>(true_c1 * (1.0 + 0.004 * (unit(rng) - 0.5)));
        spectrum.chn_trailer.ecal_c2 = 0.0f;
        if (kind == "no_calibration") {
            spectrum.chn_trailer.ecal_c0 = 0.0f;
            spectrum.chn_trailer.ecal_c1 = 1.0f;
        }
        spectrum.chn_path = o.out + name + ".chn";
        const auto written = sorvane::write_chn(spectrum, fs);
        if (!written.ok()) {
            std::cerr << spectrum.chn_path << ": " << written.reason << "\n";
            return 1;
        }
    }
    return 0;
}
