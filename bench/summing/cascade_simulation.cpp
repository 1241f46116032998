#include "cascade_simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace sorvane::bench {
namespace {

using corrections::Cascade;
using corrections::DecayBranch;
using corrections::DetectorEfficiencies;

struct Deposit {
    double energy = 0.0;
    bool partial = false;
    double partial_energy = 0.0;  // of the partial deposits
};

// The largest energy a photon leaves in one Compton scattering.
double compton_edge(double energy_kev) {
    const double twice = 2.0 * energy_kev / corrections::annihilation_kev;
    return energy_kev * twice / (1.0 + twice);
}

class Decayer {
public:
    // `spread`: partial deposits get an energy (an extra draw, so only when asked for:
    // the counts without it stay those of the same seed).
    Decayer(const Cascade& cascade, const DetectorEfficiencies& detector, std::mt19937_64& random,
            bool spread)
        : cascade_(cascade), detector_(detector), random_(random), spread_(spread) {
        for (std::size_t b = 0; b < cascade.branches.size(); ++b)
            for (std::size_t l = 0; l < cascade.branches[b].levels.size(); ++l) {
                feeding_total_ += cascade.branches[b].levels[l].feeding;
                feedings_.push_back({b, l, feeding_total_});
            }
    }

    Deposit one_decay() {
        Deposit deposit;
        const double pick = uniform() * feeding_total_;
        const auto fed = std::find_if(feedings_.begin(), feedings_.end(),
                                      [&](const Feeding& f) { return pick < f.cumulative; });
        if (fed == feedings_.end()) return deposit;
        const DecayBranch& branch = cascade_.branches[fed->branch];
        std::size_t level = fed->level;
        const auto& fed_level = branch.levels[level];
        const double mode = uniform() * fed_level.feeding;
        if (mode < fed_level.ec_feeding) {
            if (uniform() < fed_level.k_capture_fraction * branch.fluorescence_yield)
                photon(xray_energy(branch), deposit);
        } else if (mode < fed_level.ec_feeding + fed_level.positron_feeding) {
            annihilation(deposit);
        }
        while (level > 0) {
            double out = 0.0;
            for (const auto& g : branch.gammas)
                if (branch.level_at(g.from_kev) == level) out += g.photons * (1.0 + g.alpha_total);
            if (out <= 0.0) break;
            double step = uniform() * out;
            const corrections::CascadeGamma* taken = nullptr;
            for (const auto& g : branch.gammas) {
                if (branch.level_at(g.from_kev) != level) continue;
                taken = &g;
                step -= g.photons * (1.0 + g.alpha_total);
                if (step < 0.0) break;
            }
            const double kind = uniform() * (1.0 + taken->alpha_total);
            if (kind < 1.0)
                photon(taken->energy_kev, deposit);
            else if (kind < 1.0 + taken->alpha_k && uniform() < branch.fluorescence_yield)
                photon(xray_energy(branch), deposit);
            level = branch.level_at(taken->to_kev);
        }
        return deposit;
    }

private:
    struct Feeding {
        std::size_t branch, level;
        double cumulative;
    };

    double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }

    double xray_energy(const DecayBranch& branch) {
        double sum = 0.0;
        for (const auto& x : branch.k_xrays) sum += x.photons;
        double pick = uniform() * sum;
        for (const auto& x : branch.k_xrays)
            if ((pick -= x.photons) < 0.0) return x.energy_kev;
        return branch.k_xrays.empty() ? 0.0 : branch.k_xrays.back().energy_kev;
    }

    void photon(double energy, Deposit& deposit) {
        if (energy <= 0.0) return;
        const double u = uniform();
        if (u < detector_.peak(energy))
            deposit.energy += energy;
        else if (u < detector_.total(energy))
            partial(energy, deposit);
    }

    void partial(double energy, Deposit& deposit) {
        deposit.partial = true;
        if (spread_) deposit.partial_energy += uniform() * compton_edge(energy);
    }

    // Back to back: one of the two photons may reach the detector, never both.
    void annihilation(Deposit& deposit) {
        const double e = corrections::annihilation_kev;
        const double total = detector_.total(e);
        const double u = uniform();
        if (u < 2.0 * detector_.peak(e))
            deposit.energy += e;
        else if (u < 2.0 * total)
            partial(e, deposit);
    }

    const Cascade& cascade_;
    const DetectorEfficiencies& detector_;
    std::mt19937_64& random_;
    bool spread_ = false;
    std::vector<Feeding> feedings_;
    double feeding_total_ = 0.0;
};

}  // namespace

// Photons of each gamma per decay in the simulated world: the level populations of
// the scheme as the simulation follows it (feedings normalised to one decay).
double simulated_photons(const corrections::Cascade& cascade, const corrections::CascadeGamma& g) {
    double feeding_total = 0.0;
    for (const auto& b : cascade.branches)
        for (const auto& l : b.levels) feeding_total += l.feeding;
    for (const auto& branch : cascade.branches) {
        const std::size_t n = branch.levels.size();
        std::vector<double> reached(n), out(n);
        for (std::size_t i = 0; i < n; ++i) reached[i] = branch.levels[i].feeding;
        for (const auto& t : branch.gammas)
            out[branch.level_at(t.from_kev)] += t.photons * (1.0 + t.alpha_total);
        for (std::size_t j = n; j-- > 1;)
            for (const auto& t : branch.gammas)
                if (branch.level_at(t.from_kev) == j && out[j] > 0.0)
                    reached[branch.level_at(t.to_kev)] +=
                        reached[j] * t.photons * (1.0 + t.alpha_total) / out[j];
        for (const auto& t : branch.gammas)
            if (&t == &g) {
                const std::size_t a = branch.level_at(t.from_kev);
                return reached[a] * t.photons / out[a] / feeding_total;
            }
    }
    return 0.0;
}

corrections::CascadeLibrary read_cascades_file(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    corrections::CascadeLibrary library;
    corrections::add_cascades(library, text.str(), path);
    for (const auto& p : library.problems) std::fprintf(stderr, "%s\n", p.c_str());
    return library;
}

std::vector<std::pair<double, double>> clean_clusters(const SimulatedCount& count) {
    std::vector<std::pair<double, double>> out;
    double last = -1.0, n = 0.0, weighted = 0.0;
    for (const auto& [key, counts] : count.full_energy) {
        const double e = key / 100.0;
        if (last >= 0.0 && e - last > 0.5) {
            out.emplace_back(weighted / n, n);
            n = weighted = 0.0;
        }
        n += counts;
        weighted += counts * e;
        last = e;
    }
    if (n > 0.0) out.emplace_back(weighted / n, n);
    return out;
}

double SimulatedCount::peak(double energy_kev, double half_width_kev) const {
    const long low = std::lround((energy_kev - half_width_kev) * 100.0);
    const long high = std::lround((energy_kev + half_width_kev) * 100.0);
    double sum = 0.0;
    for (auto at = full_energy.lower_bound(low); at != full_energy.end() && at->first <= high; ++at)
        sum += at->second;
    return sum;
}

SimulatedCount simulate(const corrections::Cascade& cascade,
                        const corrections::DetectorEfficiencies& detector, long decays,
                        std::mt19937_64& random, bool keep_events) {
    Decayer decayer(cascade, detector, random, keep_events);
    SimulatedCount count;
    count.decays = static_cast<double>(decays);
    for (long i = 0; i < decays; ++i) {
        const Deposit deposit = decayer.one_decay();
        const double deposited = deposit.energy + deposit.partial_energy;
        if (keep_events && deposited > 0.0) count.events.push_back(deposited);
        if (deposit.partial)
            count.continuum += 1.0;
        else if (deposit.energy > 0.0)
            count.full_energy[std::lround(deposit.energy * 100.0)] += 1.0;
    }
    return count;
}

}  // namespace sorvane::bench
