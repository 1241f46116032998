#include "coincidence_summing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorvane::corrections {
namespace {

double clamped(double efficiency) {
    return std::clamp(efficiency, 0.0, 1.0);
}

// One way out of a level: a gamma transition with its share of the level's
// de-excitations (photons and conversion electrons together).
struct Step {
    std::size_t to = 0;
    std::size_t gamma = 0;      // index in the branch's gammas
    double share = 0.0;         // of the level's de-excitations
    double photon_share = 0.0;  // 1 / (1 + alpha_T)
    double k_share = 0.0;       // alpha_K / (1 + alpha_T): K conversion, then maybe a K X-ray
    double energy_kev = 0.0;
};

// The probabilities of one decay branch for one detector (per decay of the parent):
//   quiet[j]   de-excitation from level j to the ground state leaves nothing in the detector
//   reached[a] level a is reached at all
//   fed_quiet[a] level a is reached and nothing above it (feeding radiation included)
//              was detected
//   full[a][b] de-excitation from a to b (any path) puts all its photons' full energy
//              into the detector
class BranchModel {
public:
    BranchModel(const DecayBranch& branch, const DetectorEfficiencies& detector)
        : branch_(branch), detector_(detector), count_(branch.levels.size()) {
        xray_total_ = xray_mean(detector.total);
        xray_peak_ = xray_mean(detector.peak);
        build_steps();
        solve();
    }

    std::vector<LineSummingFactor> factors() const {
        std::vector<LineSummingFactor> out;
        for (std::size_t a = 0; a < count_; ++a)
            for (const auto& step : steps_[a]) {
                const auto& gamma = branch_.gammas[step.gamma];
                const double alone = reached_[a] * step.share * step.photon_share *
                                     clamped(detector_.peak(step.energy_kev));
                const double seen = fed_quiet_[a] * full(a, step.to) * quiet_[step.to];
                out.push_back(
                    {gamma.energy_kev, gamma.photons, alone > 0.0 ? seen / alone : 1.0, 0.0});
            }
        return out;
    }

    void add_sum_peaks(std::vector<SumPeak>& peaks, double least) const {
        for (std::size_t a = 1; a < count_; ++a)
            for (std::size_t b = 0; b < a; ++b) {
                const double levels_apart =
                    branch_.levels[a].energy_kev - branch_.levels[b].energy_kev;
                const bool direct = std::any_of(steps_[a].begin(), steps_[a].end(),
                                                [&](const Step& s) { return s.to == b; });
                if (!direct) {
                    const double counts = fed_quiet_[a] * full(a, b) * quiet_[b];
                    add_peak(peaks, least, levels_apart, counts, path_words(a, b));
                }
                const auto& level = branch_.levels[a];
                const double after = full(a, b) * quiet_[b];
                const double annihilation =
                    level.positron_feeding *
                    std::min(1.0, 2.0 * clamped(detector_.peak(annihilation_kev)));
                add_peak(peaks, least, annihilation_kev + levels_apart, annihilation * after,
                         "511.0 + " + path_words(a, b));
                const double xray = level.ec_feeding * level.k_capture_fraction *
                                    branch_.fluorescence_yield * xray_peak_;
                add_peak(peaks, least, xray_energy() + levels_apart, xray * after,
                         "K X-ray + " + path_words(a, b));
            }
    }

private:
    double xray_mean(const std::function<double(double)>& efficiency) const {
        double sum = 0.0, weight = 0.0;
        for (const auto& line : branch_.k_xrays) {
            sum += line.photons * clamped(efficiency(line.energy_kev));
            weight += line.photons;
        }
        return weight > 0.0 ? sum / weight : 0.0;
    }

    double xray_energy() const {
        double sum = 0.0, weight = 0.0;
        for (const auto& line : branch_.k_xrays) {
            sum += line.photons * line.energy_kev;
            weight += line.photons;
        }
        return weight > 0.0 ? sum / weight : 0.0;
    }

    void build_steps() {
        steps_.assign(count_, {});
        for (std::size_t g = 0; g < branch_.gammas.size(); ++g) {
            const auto& gamma = branch_.gammas[g];
            const std::size_t from = branch_.level_at(gamma.from_kev);
            const double converted = 1.0 + gamma.alpha_total;
            steps_[from].push_back({branch_.level_at(gamma.to_kev), g, gamma.photons * converted,
                                    1.0 / converted, gamma.alpha_k / converted, gamma.energy_kev});
        }
        for (auto& out : steps_) {  // the shares of each level's own out-flow
            double sum = 0.0;
            for (const auto& step : out) sum += step.share;
            for (auto& step : out) step.share = sum > 0.0 ? step.share / sum : 0.0;
        }
    }

    // Nothing of this transition reaches the detector: no photon interacts and no
    // K X-ray after conversion does. The conversion electron itself is taken as stopped
    // before the crystal.
    double step_quiet(const Step& step) const {
        return 1.0 - step.photon_share * clamped(detector_.total(step.energy_kev)) -
               step.k_share * branch_.fluorescence_yield * xray_total_;
    }

    void solve() {
        quiet_.assign(count_, 1.0);
        for (std::size_t j = 1; j < count_; ++j) {
            if (steps_[j].empty()) continue;
            double q = 0.0;
            for (const auto& step : steps_[j]) q += step.share * step_quiet(step) * quiet_[step.to];
            quiet_[j] = q;
        }
        reached_.assign(count_, 0.0);
        fed_quiet_.assign(count_, 0.0);
        const double annihilation_total =
            std::min(1.0, 2.0 * clamped(detector_.total(annihilation_kev)));
        for (std::size_t a = 0; a < count_; ++a) {
            const auto& level = branch_.levels[a];
            reached_[a] = level.feeding;
            fed_quiet_[a] = level.feeding -
                            level.ec_feeding * level.k_capture_fraction *
                                branch_.fluorescence_yield * xray_total_ -
                            level.positron_feeding * annihilation_total;
        }
        for (std::size_t j = count_; j-- > 1;)
            for (const auto& step : steps_[j]) {
                reached_[step.to] += reached_[j] * step.share;
                fed_quiet_[step.to] += fed_quiet_[j] * step.share * step_quiet(step);
            }
        full_.assign(count_ * count_, 0.0);
        for (std::size_t a = 0; a < count_; ++a) {
            full_[a * count_ + a] = 1.0;
            for (const auto& step : steps_[a]) {
                const double photon_peak =
                    step.share * step.photon_share * clamped(detector_.peak(step.energy_kev));
                for (std::size_t b = 0; b <= step.to; ++b)
                    full_[a * count_ + b] += photon_peak * full(step.to, b);
            }
        }
    }

    double full(std::size_t a, std::size_t b) const { return full_[a * count_ + b]; }

    // The likeliest all-full-energy path from a down to b, as "E1 + E2 + ...".
    std::string path_words(std::size_t a, std::size_t b) const {
        std::string words;
        while (a != b) {
            const Step* best = nullptr;
            double best_weight = 0.0;
            for (const auto& step : steps_[a]) {
                if (step.to < b) continue;
                const double weight = step.share * step.photon_share *
                                      clamped(detector_.peak(step.energy_kev)) * full(step.to, b);
                if (weight > best_weight) best = &step, best_weight = weight;
            }
            if (!best) break;
            char energy[32];
            std::snprintf(energy, sizeof energy, "%.1f", best->energy_kev);
            words += (words.empty() ? "" : " + ") + std::string(energy);
            a = best->to;
        }
        return words;
    }

    static void add_peak(std::vector<SumPeak>& peaks, double least, double energy_kev,
                         double counts, const std::string& words) {
        if (counts > least && counts > 0.0) peaks.push_back({energy_kev, counts, words});
    }

    const DecayBranch& branch_;
    const DetectorEfficiencies& detector_;
    std::size_t count_;
    double xray_total_ = 0.0;
    double xray_peak_ = 0.0;
    std::vector<std::vector<Step>> steps_;
    std::vector<double> quiet_, reached_, fed_quiet_, full_;
};

std::vector<LineSummingFactor> factors_of(const Cascade& cascade,
                                          const DetectorEfficiencies& detector) {
    std::vector<LineSummingFactor> all;
    for (const auto& branch : cascade.branches) {
        const auto some = BranchModel(branch, detector).factors();
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

DetectorEfficiencies scaled(const DetectorEfficiencies& detector, double peak, double total) {
    DetectorEfficiencies out = detector;
    out.peak = [&detector, peak](double e) { return detector.peak(e) * peak; };
    out.total = [&detector, total](double e) { return detector.total(e) * total; };
    return out;
}

}  // namespace

std::vector<LineSummingFactor> summing_factors(const Cascade& cascade,
                                               const DetectorEfficiencies& detector) {
    auto factors = factors_of(cascade, detector);
    // The factor moves with the efficiencies; one standard uncertainty of each, in turn.
    const auto peak_up =
        factors_of(cascade, scaled(detector, 1.0 + detector.peak_relative_uncertainty, 1.0));
    const auto total_up =
        factors_of(cascade, scaled(detector, 1.0, 1.0 + detector.total_relative_uncertainty));
    for (std::size_t i = 0; i < factors.size(); ++i)
        factors[i].d_factor = std::hypot(peak_up[i].factor - factors[i].factor,
                                         total_up[i].factor - factors[i].factor);
    std::sort(factors.begin(), factors.end(),
              [](const auto& a, const auto& b) { return a.energy_kev < b.energy_kev; });
    return factors;
}

const LineSummingFactor* factor_near(const std::vector<LineSummingFactor>& factors,
                                     double energy_kev, double tolerance_kev) {
    const LineSummingFactor* nearest = nullptr;
    for (const auto& line : factors) {
        const double apart = std::abs(line.energy_kev - energy_kev);
        if (apart <= tolerance_kev &&
            (!nearest || apart < std::abs(nearest->energy_kev - energy_kev)))
            nearest = &line;
    }
    return nearest;
}

std::vector<SumPeak> sum_peaks(const Cascade& cascade, const DetectorEfficiencies& detector,
                               double least_counts_per_decay) {
    std::vector<SumPeak> peaks;
    for (const auto& branch : cascade.branches)
        BranchModel(branch, detector).add_sum_peaks(peaks, least_counts_per_decay);
    std::sort(peaks.begin(), peaks.end(),
              [](const auto& a, const auto& b) { return a.energy_kev < b.energy_kev; });
    return peaks;
}

}  // namespace sorvane::corrections
