// The model of the synthetic spectra, shared by the benchmarks' generators: the
// width calibration, the shapes of the lines, the continuum with its steps and
// Compton edges, and each line's Poisson-limited significance.
#pragma once

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "analysis/peak_shape.h"
#include "spectrum/spectrum.h"

namespace sorvane::synth {

using analysis::channel_fraction;
using analysis::fwhm_per_sigma;

constexpr double fwhm_b = (3.8 * 3.8 - 2.0 * 2.0) / (3000.0 - 200.0);
constexpr double fwhm_a = 2.0 * 2.0 - fwhm_b * 200.0;

inline double fwhm_at(double ch) {
    return std::sqrt(fwhm_a + fwhm_b * ch);
}

// Shapes that are not the fit's own: a Gaussian with wide wings on both sides (15 %
// of the area in a Gaussian 1.6 times as wide), skewed (10 % of the area 0.3
// sigma above the centre), or with a high-energy tail as pile-up from a strong
// second source makes it (15 % of the area in a Gauss+exp of k = 1 mirrored to the
// high side; a long one: 30 % in one of k = 0.5).
enum class Shape { model, wings, skewed, high_tail, long_high_tail };

struct TruePeak {
    double channel;
    double area;
    double tail = 0.0;  // k of the low-energy tail, 0 for none
    std::string group;  // isolated, doublet_<ratio>_<separation>
    Shape shape = Shape::model;
};

// A line's share of the counts in channel ch, for every shape.
inline double shape_fraction(const TruePeak& peak, int ch, double sigma) {
    switch (peak.shape) {
        case Shape::wings:
            return 0.85 * channel_fraction(ch, peak.channel, sigma, peak.tail) +
                   0.15 * channel_fraction(ch, peak.channel, 1.6 * sigma, 0.0);
        case Shape::skewed:
            return 0.9 * channel_fraction(ch, peak.channel, sigma, peak.tail) +
                   0.1 * channel_fraction(ch, peak.channel + 0.3 * sigma, sigma, 0.0);
        case Shape::high_tail:
            // The mirror image of a low-energy tail: channel -ch of a line at -centre.
            return 0.85 * channel_fraction(ch, peak.channel, sigma, peak.tail) +
                   0.15 * channel_fraction(-ch, -peak.channel, sigma, 1.0);
        case Shape::long_high_tail:
            return 0.7 * channel_fraction(ch, peak.channel, sigma, peak.tail) +
                   0.3 * channel_fraction(-ch, -peak.channel, sigma, 0.5);
        case Shape::model:
            break;
    }
    return channel_fraction(ch, peak.channel, sigma, peak.tail);
}

// The Compton continuum of a line at `channel` (0.5 keV a channel): flat up to the
// Compton edge, falling over the resolution, and a backscatter bump (Compton
// kinematics with m c^2 = 510.999 keV).
struct ComptonLine {
    double channel;
    double area;
};

struct Plan {
    int channels = 4096;
    std::vector<TruePeak> peaks;
    double flat = 0.0, hump = 0.0, decay = 1000.0;  // continuum: flat + hump exp(-ch / decay)
    double step_fraction = 0.0;        // step height per channel as a fraction of the area
    std::vector<ComptonLine> compton;  // lines whose Compton edge and backscatter show
};

inline double log_uniform(std::mt19937_64& rng, double low, double high) {
    std::uniform_real_distribution<double> u(std::log(low), std::log(high));
    return std::exp(u(rng));
}

// Expected counts of every channel, and each peak's own contribution for its
// Poisson-limited uncertainty.
inline std::vector<double> expected(const Plan& plan) {
    std::vector<double> mu(static_cast<std::size_t>(plan.channels));
    for (int ch = 0; ch < plan.channels; ++ch)
        mu[static_cast<std::size_t>(ch)] = plan.flat + plan.hump * std::exp(-ch / plan.decay);
    for (const auto& peak : plan.peaks) {
        const double sigma = fwhm_at(peak.channel) / fwhm_per_sigma;
        const int reach =
            static_cast<int>(12.0 * sigma + (peak.tail > 0 ? 30.0 * sigma / peak.tail : 0.0));
        const int lo = std::max(0, static_cast<int>(peak.channel) - reach);
        const int hi = std::min(plan.channels - 1, static_cast<int>(peak.channel) + reach);
        for (int ch = lo; ch <= hi; ++ch)
            mu[static_cast<std::size_t>(ch)] += peak.area * shape_fraction(peak, ch, sigma);
        // A step of Compton-scattered counts on the low side, smoothed by the resolution.
        if (plan.step_fraction > 0.0) {
            for (int ch = 0; ch < plan.channels; ++ch) {
                const double u = (ch - peak.channel) / sigma;
                if (u > 8.0) break;
                mu[static_cast<std::size_t>(ch)] +=
                    plan.step_fraction * peak.area * 0.5 * std::erfc(u / std::numbers::sqrt2);
            }
        }
    }
    for (const auto& line : plan.compton) {
        const double kev = 0.5 * line.channel;
        const double backscatter = kev / (1.0 + 2.0 * kev / 510.999);
        const double edge = (kev - backscatter) / 0.5;  // channel
        const double sigma = fwhm_at(edge) / fwhm_per_sigma;
        // About three times the line's counts spread flat below the edge, and a
        // backscatter bump of 2 % of them, 30 keV wide.
        const double level = 3.0 * line.area / edge;
        for (int ch = 0; ch < plan.channels; ++ch) {
            const double u = (ch - edge) / sigma;
            mu[static_cast<std::size_t>(ch)] += level * 0.5 * std::erfc(u / std::numbers::sqrt2);
            const double b = (ch - backscatter / 0.5) / (30.0 / fwhm_per_sigma);
            mu[static_cast<std::size_t>(ch)] +=
                0.02 * line.area / (30.0 / fwhm_per_sigma * std::sqrt(2.0 * std::numbers::pi)) *
                std::exp(-0.5 * b * b);
        }
    }
    return mu;
}

inline double poisson_limited_significance(const Plan& plan, const std::vector<double>& mu,
                                           const TruePeak& peak) {
    const double sigma = fwhm_at(peak.channel) / fwhm_per_sigma;
    double information = 0.0;
    const int reach =
        static_cast<int>(10.0 * sigma + (peak.tail > 0 ? 30.0 * sigma / peak.tail : 0.0));
    for (int ch = std::max(0, static_cast<int>(peak.channel) - reach);
         ch <= std::min(plan.channels - 1, static_cast<int>(peak.channel) + reach); ++ch) {
        const double p = shape_fraction(peak, ch, sigma);
        information += p * p / mu[static_cast<std::size_t>(ch)];
    }
    return peak.area * std::sqrt(information);
}

// A spectrum of Poisson counts about `mu`, with the benchmarks' CHN header: an hour
// of live time, started at noon on 8 Dec 2026.
inline Spectrum noisy_spectrum(const std::vector<double>& mu, std::mt19937_64& rng) {
    Spectrum spectrum;
    spectrum.clear_data();
    auto& h = spectrum.chn_header;
    h.mca_number = 999;
    h.segment = 1;
    h.real_time = 3700 * 50;
    h.live_time = 3600 * 50;
    assign_text(h.start_date, "08Dec261");
    assign_text(h.start_time, "120000");
    h.start_sec = {'0', '0'};
    h.num_channels = static_cast<std::int16_t>(mu.size());
    for (std::size_t ch = 0; ch < mu.size(); ++ch) {
        std::poisson_distribution<long long> noise(mu[ch]);
        spectrum.counts[ch] = static_cast<std::int32_t>(noise(rng));
    }
    return spectrum;
}

}  // namespace sorvane::synth
