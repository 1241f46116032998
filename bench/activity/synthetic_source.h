#pragma once

// Synthetic gamma spectra of nuclides at known activities, seen through a known
// efficiency curve: the runtime's own peak model (channel_fraction, Gaussian lines
// integrated over each channel) on a smooth continuum, with exact Poisson noise.
// Shared by the activity benchmark and the maker of the demo's Eu-152 spectrum.

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "activity/decay.h"
#include "activity/efficiency_curve.h"
#include "analysis/calibration.h"
#include "analysis/peak_shape.h"
#include "nuclides/line_library.h"

namespace sorvane::bench {

struct Detector {
    analysis::EnergyCalibration energy{0.2, 0.35, -1e-8, true};
    int channels = 4096;
    double live_time_s = 1800.0;
    double real_time_s = 1811.25;
    double continuum_scale = 1.0;  // times the demo's continuum
    // FWHM^2 = 0.75 keV^2 + 0.0025 keV * E: about 1.0 keV at 122 keV, 1.9 keV at 1332.
    double fwhm_kev(double e) const { return std::sqrt(0.75 + 0.0025 * e); }
    // The demo's continuum, counts per channel for 1800 s.
    double continuum(int ch) const {
        return continuum_scale *
               (290.0 * std::exp(-ch / 540.0) + 16.0 * std::exp(-ch / 1800.0) + 1.5);
    }
};

struct TrueSource {
    std::string nuclide;
    double activity_bq = 0.0;  // at the reference time
    double start_after_reference_s = 0.0;
};

// The channel of an energy (root of the calibration nearest the linear one).
inline double channel_at(const analysis::EnergyCalibration& e, double energy) {
    double ch = (energy - e.c0) / e.c1;
    for (int i = 0; i < 8; ++i) ch -= (e.energy(ch) - energy) / e.slope(ch);
    return ch;
}

// Expected full-energy counts of each line of the sources, added into `mu`. The
// efficiency and emission probabilities are the truth: what the caller passes.
inline void add_sources(std::vector<double>& mu, const Detector& d,
                        const std::vector<TrueSource>& sources,
                        const nuclides::LineLibrary& library,
                        const activity::EfficiencyCurve& true_curve,
                        const std::vector<double>& probability_scale = {}) {
    std::size_t line_index = 0;
    for (const TrueSource& s : sources) {
        const nuclides::NuclideFacts* facts = library.facts(s.nuclide);
        const double half_life = facts ? facts->half_life_seconds() : 0.0;
        const double decay =
            activity::decay_correction({half_life, 0.0, s.start_after_reference_s, d.real_time_s})
                .factor;
        for (const nuclides::GammaLine* line : library.lines_of(s.nuclide)) {
            double p = line->probability / 100.0;
            if (line_index < probability_scale.size()) p *= probability_scale[line_index];
            ++line_index;
            const double eff = activity::evaluate_efficiency(true_curve, line->energy).efficiency;
            const double area = s.activity_bq * decay * p * eff * d.live_time_s;
            const double centre = channel_at(d.energy, line->energy);
            const double sigma =
                d.fwhm_kev(line->energy) / d.energy.slope(centre) / analysis::fwhm_per_sigma;
            const int low = std::max(0, static_cast<int>(centre - 12 * sigma));
            const int high = std::min(d.channels - 1, static_cast<int>(centre + 12 * sigma));
            for (int ch = low; ch <= high; ++ch)
                mu[static_cast<std::size_t>(ch)] +=
                    area * analysis::channel_fraction(ch, centre, sigma, 0.0);
        }
    }
}

inline std::vector<double> expected_spectrum(const Detector& d, const std::vector<TrueSource>& s,
                                             const nuclides::LineLibrary& library,
                                             const activity::EfficiencyCurve& curve,
                                             const std::vector<double>& probability_scale = {}) {
    std::vector<double> mu(static_cast<std::size_t>(d.channels));
    for (int ch = 0; ch < d.channels; ++ch) mu[static_cast<std::size_t>(ch)] = d.continuum(ch);
    add_sources(mu, d, s, library, curve, probability_scale);
    return mu;
}

template <class Rng>
std::vector<double> poisson_counts(const std::vector<double>& mu, Rng& rng) {
    std::vector<double> counts(mu.size());
    for (std::size_t i = 0; i < mu.size(); ++i) {
        std::poisson_distribution<long long> noise(std::max(mu[i], 1e-12));
        counts[i] = static_cast<double>(noise(rng));
    }
    return counts;
}

}  // namespace sorvane::bench
