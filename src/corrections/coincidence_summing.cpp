#include "coincidence_summing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace sorvane::corrections {
namespace {

// Sum energies closer than this are one peak (recoil and rounding of the level energies).
constexpr double same_peak_kev = 0.1;
// Ways to a sum rarer than this per decay are dropped (they keep the sums finite).
constexpr double negligible = 1e-10;

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

struct LineCounts {
    double energy_kev = 0.0;
    double photons = 0.0;
    double seen = 0.0;   // per decay, in the line's peak
    double alone = 0.0;  // per decay, were its photons alone
};

// The clean events of a decay by their summed energy (in 0.01 keV): the chance of
// 0, 1, or 2 and more radiations adding up to it, and the words of the likeliest way
// of two or more.
struct CleanEvents {
    std::map<long, std::array<double, 3>> by_energy;
    std::map<long, std::string> words;
};

// Where the sums of two or more radiations outweigh the single radiations at an
// energy, it is a sum peak.
void add_sum_peaks(const CleanEvents& events, std::vector<SumPeak>& peaks) {
    for (const auto& [energy_key, counts] : events.by_energy)
        if (counts[2] > counts[1])
            peaks.push_back({energy_key / 100.0, counts[2], events.words.at(energy_key)});
}

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
        build_steps();
        solve();
    }

    // Each line's counts per decay as its peak holds them and as it would hold them
    // alone.
    std::vector<LineCounts> line_counts() const {
        std::vector<LineCounts> out;
        for (std::size_t a = 0; a < count_; ++a)
            for (const auto& step : steps_[a]) {
                const auto& gamma = branch_.gammas[step.gamma];
                const double alone = reached_[a] * step.share * step.photon_share *
                                     clamped(detector_.peak(step.energy_kev));
                const double seen = fed_quiet_[a] * full(a, step.to) * quiet_[step.to];
                out.push_back({gamma.energy_kev, gamma.photons, seen, alone});
            }
        return out;
    }

    // The clean events of the branch (every detected radiation in full energy) by
    // their summed energy, `weight` times, added to `events`. Ways are dropped by what
    // they add per decay, weight times their probability, as in one unweighted pass.
    void add_clean_events(CleanEvents& events, double weight) const {
        const double floor = negligible / weight;
        std::vector<std::map<long, Sum>> at(count_);
        for (std::size_t j = count_; j-- > 1;) {
            add(at[j], 0.0, 0, feed_quiet_[j], {}, {}, floor);
            for (const auto& e : feeding_emissions(j))
                add(at[j], e.energy_kev, 1, e.probability, {}, e.words, floor);
            // each step's radiations once, not once for every sum that reaches the level
            std::vector<std::pair<double, std::vector<Emission>>> steps;
            for (const auto& step : steps_[j])
                steps.emplace_back(step.share * step_quiet(step), step_emissions(step));
            for (const auto& [key, sum] : at[j]) {
                if (sum.probability < floor) continue;
                const double energy = (key / 4) / 100.0;
                const int emitted = static_cast<int>(key % 4);
                for (std::size_t s = 0; s < steps.size(); ++s) {
                    auto& to = at[steps_[j][s].to];
                    add(to, energy, emitted, sum.probability * steps[s].first, sum.words, {},
                        floor);
                    for (const auto& e : steps[s].second)
                        add(to, energy + e.energy_kev, std::min(emitted + 1, 2),
                            sum.probability * e.probability, sum.words, e.words, floor);
                }
            }
        }
        for (const auto& [key, sum] : at[0]) {
            events.by_energy[key / 4][key % 4] += weight * sum.probability;
            if (key % 4 == 2) events.words[key / 4] = sum.words;
        }
    }

private:
    // A radiation of a transition or of a feeding, detected in full energy.
    struct Emission {
        double energy_kev = 0.0;
        double probability = 0.0;  // per transition taken (per decay for a feeding)
        bool xray = false;
        std::string words;
    };

    std::vector<Emission> xray_emissions(double k_vacancies, double share) const {
        std::vector<Emission> out;
        const double all = xray_photons();
        for (const auto& line : branch_.k_xrays)
            out.push_back({line.energy_kev,
                           share * k_vacancies * branch_.fluorescence_yield * line.photons / all *
                               clamped(detector_.peak(line.energy_kev)),
                           true, "K X-ray"});
        return out;
    }

    std::vector<Emission> step_emissions(const Step& step) const {
        auto out = xray_emissions(step.k_share, step.share);
        char words[32];
        std::snprintf(words, sizeof words, "%.1f", step.energy_kev);
        out.push_back({step.energy_kev,
                       step.share * step.photon_share * clamped(detector_.peak(step.energy_kev)),
                       false, words});
        return out;
    }

    // The feeding's own radiation (per decay): the K X-ray after K capture, one of the
    // two annihilation photons of a positron.
    std::vector<Emission> feeding_emissions(std::size_t a) const {
        const auto& level = branch_.levels[a];
        auto out = xray_emissions(level.k_capture_fraction, level.ec_feeding);
        out.push_back({annihilation_kev,
                       level.positron_feeding *
                           std::min(1.0, 2.0 * clamped(detector_.peak(annihilation_kev))),
                       true, "511.0"});
        return out;
    }

    double xray_mean(const std::function<double(double)>& efficiency) const {
        double sum = 0.0, weight = 0.0;
        for (const auto& line : branch_.k_xrays) {
            sum += line.photons * clamped(efficiency(line.energy_kev));
            weight += line.photons;
        }
        return weight > 0.0 ? sum / weight : 0.0;
    }

    double xray_photons() const {
        double sum = 0.0;
        for (const auto& line : branch_.k_xrays) sum += line.photons;
        return sum;
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
        feed_quiet_ = fed_quiet_;
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

    const DecayBranch& branch_;
    const DetectorEfficiencies& detector_;
    std::size_t count_;
    double xray_total_ = 0.0;
    std::vector<std::vector<Step>> steps_;
    std::vector<double> quiet_, reached_, fed_quiet_, feed_quiet_, full_;

    struct Sum {
        double probability = 0.0;
        double largest = 0.0;  // the largest single way to this sum, whose words it keeps
        std::string words;
    };

    // 4 x (energy in 0.01 keV) + radiations counted (0, 1, 2 for two or more).
    // The way's words are `before` + `added`, joined only when the way is kept.
    static void add(std::map<long, Sum>& sums, double energy_kev, int emitted, double probability,
                    const std::string& before, const std::string& added, double floor) {
        if (probability < floor) return;
        Sum& sum = sums[4 * std::lround(energy_kev * 100.0) + emitted];
        sum.probability += probability;
        if (probability <= sum.largest) return;
        sum.largest = probability;
        sum.words = before.empty() || added.empty() ? before + added : before + " + " + added;
    }
};

std::vector<LineSummingFactor> factors_from(const std::vector<LineCounts>& counts) {
    std::vector<LineSummingFactor> out;
    for (const auto& line : counts)
        out.push_back(
            {line.energy_kev, line.photons, line.alone > 0.0 ? line.seen / line.alone : 1.0, 0.0});
    return out;
}

// Every energy the branch model asks the detector about, with each cell's relative
// efficiency there.
using CellTable = std::map<double, std::vector<double>>;

CellTable cell_table(const Cascade& cascade, const SampleCells& cells) {
    CellTable table;
    const auto note = [&](double e) {
        if (!table.count(e)) table[e] = cells.relative_efficiencies(e);
    };
    note(annihilation_kev);
    for (const auto& branch : cascade.branches) {
        for (const auto& gamma : branch.gammas) note(gamma.energy_kev);
        for (const auto& line : branch.k_xrays) note(line.energy_kev);
    }
    return table;
}

// The detector seen from one cell: its efficiencies times the cell's relative one.
DetectorEfficiencies at_cell(const DetectorEfficiencies& detector, const SampleCells& cells,
                             const CellTable& table, std::size_t cell) {
    const auto relative = [&cells, &table, cell](double e) {
        const auto at = table.find(e);
        return at != table.end() ? at->second[cell] : cells.relative_efficiencies(e)[cell];
    };
    DetectorEfficiencies out = detector;
    out.peak = [&detector, relative](double e) { return detector.peak(e) * relative(e); };
    out.total = [&detector, relative](double e) { return detector.total(e) * relative(e); };
    return out;
}

std::vector<LineSummingFactor> factors_of(const Cascade& cascade,
                                          const DetectorEfficiencies& detector,
                                          const SampleCells* cells) {
    std::vector<LineSummingFactor> all;
    const CellTable table = cells ? cell_table(cascade, *cells) : CellTable{};
    for (const auto& branch : cascade.branches) {
        std::vector<LineCounts> counts;
        if (!cells) {
            counts = BranchModel(branch, detector).line_counts();
        } else {
            // the cells' counts summed by their shares of the activity
            for (std::size_t c = 0; c < cells->size(); ++c) {
                const auto some =
                    BranchModel(branch, at_cell(detector, *cells, table, c)).line_counts();
                if (counts.empty()) {
                    counts = some;
                    for (auto& line : counts) line.seen = line.alone = 0.0;
                }
                for (std::size_t i = 0; i < some.size(); ++i) {
                    counts[i].seen += cells->share(c) * some[i].seen;
                    counts[i].alone += cells->share(c) * some[i].alone;
                }
            }
        }
        const auto some = factors_from(counts);
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

std::vector<LineSummingFactor> factors_with_uncertainty(const Cascade& cascade,
                                                        const DetectorEfficiencies& detector,
                                                        const SampleCells* cells) {
    auto factors = factors_of(cascade, detector, cells);
    // The factor moves with the efficiencies; one standard uncertainty of each, in turn.
    const auto peak_up =
        factors_of(cascade, scaled(detector, 1.0 + detector.peak_relative_uncertainty, 1.0), cells);
    const auto total_up = factors_of(
        cascade, scaled(detector, 1.0, 1.0 + detector.total_relative_uncertainty), cells);
    for (std::size_t i = 0; i < factors.size(); ++i)
        factors[i].d_factor = std::hypot(peak_up[i].factor - factors[i].factor,
                                         total_up[i].factor - factors[i].factor);
    std::sort(factors.begin(), factors.end(),
              [](const auto& a, const auto& b) { return a.energy_kev < b.energy_kev; });
    return factors;
}

std::vector<SumPeak> merged_sum_peaks(std::vector<SumPeak> peaks, double least_counts_per_decay) {
    std::sort(peaks.begin(), peaks.end(),
              [](const auto& a, const auto& b) { return a.energy_kev < b.energy_kev; });
    // Ways to one energy are one peak, named after its largest part.
    std::vector<SumPeak> merged;
    double largest = 0.0;
    for (const auto& peak : peaks) {
        if (!merged.empty() && peak.energy_kev - merged.back().energy_kev < same_peak_kev) {
            merged.back().counts_per_decay += peak.counts_per_decay;
            if (peak.counts_per_decay > largest)
                largest = peak.counts_per_decay, merged.back().made_of = peak.made_of;
            continue;
        }
        merged.push_back(peak);
        largest = peak.counts_per_decay;
    }
    std::erase_if(merged,
                  [&](const SumPeak& p) { return p.counts_per_decay <= least_counts_per_decay; });
    return merged;
}

}  // namespace

std::vector<LineSummingFactor> summing_factors(const Cascade& cascade,
                                               const DetectorEfficiencies& detector) {
    return factors_with_uncertainty(cascade, detector, nullptr);
}

std::vector<LineSummingFactor> summing_factors(const Cascade& cascade,
                                               const DetectorEfficiencies& detector,
                                               const SampleCells& sample) {
    return factors_with_uncertainty(cascade, detector, sample.marinelli() ? nullptr : &sample);
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
    for (const auto& branch : cascade.branches) {
        CleanEvents events;
        BranchModel(branch, detector).add_clean_events(events, 1.0);
        add_sum_peaks(events, peaks);
    }
    return merged_sum_peaks(std::move(peaks), least_counts_per_decay);
}

std::vector<SumPeak> sum_peaks(const Cascade& cascade, const DetectorEfficiencies& detector,
                               double least_counts_per_decay, const SampleCells& sample) {
    if (sample.marinelli()) return sum_peaks(cascade, detector, least_counts_per_decay);
    std::vector<SumPeak> peaks;
    const CellTable table = cell_table(cascade, sample);
    for (const auto& branch : cascade.branches) {
        CleanEvents events;
        for (std::size_t c = 0; c < sample.size(); ++c)
            BranchModel(branch, at_cell(detector, sample, table, c))
                .add_clean_events(events, sample.share(c));
        add_sum_peaks(events, peaks);
    }
    return merged_sum_peaks(std::move(peaks), least_counts_per_decay);
}

}  // namespace sorvane::corrections
