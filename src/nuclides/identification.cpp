#include "identification.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "peak_evidence.h"

namespace sorvane::nuclides {
namespace {

// Without an efficiency no line below this energy is expected from other lines: the
// efficiency falls steeply below it (the entrance window), so a found line says little
// about it; above it the efficiency stays within the factor the margin allows.
constexpr double expectation_floor_kev = 60.0;
// A found line up to this far below a missing one (ratio of energies, above the
// floor) still tells what the missing one should show.
constexpr double close_below_floor_kev = 50.0;
constexpr double close_below_ratio = 1.5;
constexpr double steepest_efficiency_slope = 1.5;
// A missing line is required only when its expectation, less this many standard
// deviations, is above what could be seen.
constexpr double expectation_sigmas = 2.0;
// ... and is this many times what could be seen: the efficiency's shape and cascade
// summing make one line's area differ from another's scaled by probability alone.
constexpr double expectation_margin = 2.0;
// Below this weighted share of its visible lines a nuclide is not identified.
constexpr double min_score = 0.3;
// A peak is beyond what a candidate's line explains when its area exceeds this many
// times the area the candidate's other found lines predict there, by 3 standard
// deviations; with an efficiency the prediction is closer than from probabilities alone.
constexpr double claim_margin_with_efficiency = 2.0;
constexpr double claim_margin_without = 5.0;
constexpr double claim_sigmas = 3.0;
// A missing line this close to a found peak (in its FWHM) may be fitted into it; one
// up to the wider distance is hidden in the flank of a peak this many times stronger.
constexpr double unresolved_fwhm = 1.5;
constexpr double flank_fwhm = 3.0;
constexpr double flank_ratio = 5.0;
// The 511 keV line is broadened by the annihilation's Doppler shift.
constexpr double annihilation_tolerance_kev = 1.0;
constexpr int max_rounds = 8;

struct Candidate {
    std::string name;
    std::vector<const GammaLine*> lines;  // in the analysed range
    std::vector<int> match;               // per line: peak index or -1
    std::vector<double> closeness;        // per line: |difference| / tolerance
    bool annihilation = false;
};

class Identifier {
public:
    Identifier(std::span<const PeakForMatch> peaks, const LineLibrary& library,
               const IdentifyOptions& options)
        : peaks_(peaks), library_(library), options_(options) {}

    Identification run() {
        gather_candidates();
        std::vector<bool> alive(candidates_.size(), true);
        std::vector<int> owner;
        std::vector<NuclideOutcome> outcomes;
        for (int round = 0; round < max_rounds; ++round) {
            owner = owners(alive);
            outcomes.clear();
            // A candidate is out once its own found lines rule it out; one left with no
            // peak because others took its shared ones stays in, so that it gets them
            // back when those others fall.
            std::vector<bool> standing;
            for (std::size_t c = 0; c < candidates_.size(); ++c) {
                outcomes.push_back(evaluate(c, owner));
                const auto& o = outcomes.back();
                standing.push_back(alive[c] && (o.identified || o.found == 0));
            }
            if (standing == alive) break;
            alive = standing;
        }
        Identification result;
        result.peak_nuclide.assign(peaks_.size(), std::string());
        for (std::size_t p = 0; p < peaks_.size(); ++p) {
            const int c = owner.empty() ? -1 : owner[p];
            if (c >= 0 && outcomes[static_cast<std::size_t>(c)].identified)
                result.peak_nuclide[p] = candidates_[static_cast<std::size_t>(c)].name;
        }
        result.nuclides = std::move(outcomes);
        result.chains = chains(result.nuclides);
        return result;
    }

private:
    double weight(const GammaLine& line) const {
        const double efficiency =
            options_.relative_efficiency ? options_.relative_efficiency(line.energy) : 1.0;
        return line.probability * efficiency;
    }

    bool of_interest(const std::string& name) const {
        const auto& wanted = options_.nuclides_of_interest;
        return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end();
    }

    void gather_candidates() {
        std::vector<std::string> names;
        for (const auto& facts : library_.nuclides) names.push_back(facts.name);
        for (const auto& line : library_.lines)
            if (std::find(names.begin(), names.end(), line.nuclide) == names.end())
                names.push_back(line.nuclide);
        for (const auto& name : names) {
            Candidate c;
            c.name = name;
            c.annihilation = name == annihilation_name;
            if (!c.annihilation && !of_interest(name)) continue;
            for (const auto& line : library_.lines) {
                if (line.nuclide != name || line.energy < options_.low_kev ||
                    line.energy > options_.high_kev)
                    continue;
                c.lines.push_back(&line);
                match_line(c, line);
            }
            const bool matched =
                std::any_of(c.match.begin(), c.match.end(), [](int p) { return p >= 0; });
            const bool listed = !options_.nuclides_of_interest.empty() && !c.annihilation;
            if (matched || listed) candidates_.push_back(std::move(c));
        }
    }

    // The nearest peak within the tolerance, in units of the tolerance.
    void match_line(Candidate& c, const GammaLine& line) {
        int best = -1;
        double best_closeness = std::numeric_limits<double>::infinity();
        for (std::size_t p = 0; p < peaks_.size(); ++p) {
            if (peaks_[p].background) continue;
            double tolerance = match_tolerance(peaks_[p].d_energy, 0.0, line.d_energy,
                                               options_.energy_tolerance_kev);
            if (c.annihilation) tolerance = std::max(tolerance, annihilation_tolerance_kev);
            const double closeness = std::fabs(peaks_[p].energy - line.energy) / tolerance;
            if (closeness <= 1.0 && closeness < best_closeness) {
                best = static_cast<int>(p);
                best_closeness = closeness;
            }
        }
        c.match.push_back(best);
        c.closeness.push_back(best_closeness);
    }

    // The candidates with a line at each peak.
    std::vector<std::vector<std::size_t>> claimants() const {
        std::vector<std::vector<std::size_t>> out(peaks_.size());
        for (std::size_t c = 0; c < candidates_.size(); ++c)
            for (int p : candidates_[c].match)
                if (p >= 0 && (out[static_cast<std::size_t>(p)].empty() ||
                               out[static_cast<std::size_t>(p)].back() != c))
                    out[static_cast<std::size_t>(p)].push_back(c);
        return out;
    }

    // The weighted share of a candidate's lines found at peaks no other living
    // candidate claims: the other lines' evidence for a shared peak.
    double evidence(std::size_t c, const std::vector<std::vector<std::size_t>>& claims,
                    const std::vector<bool>& alive) const {
        const Candidate& cand = candidates_[c];
        double own = 0.0, all = 0.0;
        for (std::size_t i = 0; i < cand.lines.size(); ++i) {
            all += weight(*cand.lines[i]);
            const int p = cand.match[i];
            if (p < 0) continue;
            // The annihilation peak is no evidence of a positron emitter: pair production
            // of any strong high-energy line makes one.
            if (alone_at(c, p, claims, alive)) own += weight(*cand.lines[i]);
        }
        return all > 0.0 ? own / all : 0.0;
    }

    bool alone_at(std::size_t c, int p, const std::vector<std::vector<std::size_t>>& claims,
                  const std::vector<bool>& alive) const {
        const auto& there = claims[static_cast<std::size_t>(p)];
        return std::none_of(there.begin(), there.end(),
                            [&](std::size_t o) { return o != c && alive[o]; });
    }

    double claim_margin() const {
        return options_.relative_efficiency ? claim_margin_with_efficiency : claim_margin_without;
    }

    // Whether the candidate's lines at a peak can hold its area, as far as its other
    // found lines (at peaks it alone claims) tell; one with no such line can.
    bool explains(std::size_t c, int peak, const std::vector<std::vector<std::size_t>>& claims,
                  const std::vector<bool>& alive) const {
        const Candidate& cand = candidates_[c];
        if (cand.annihilation) return true;
        double here = 0.0, w = 0.0, area = 0.0, variance = 0.0;
        std::set<int> used;
        for (std::size_t i = 0; i < cand.lines.size(); ++i) {
            const int p = cand.match[i];
            if (p == peak) here += weight(*cand.lines[i]);
            if (p < 0 || p == peak || !alone_at(c, p, claims, alive)) continue;
            w += weight(*cand.lines[i]);
            if (used.insert(p).second) {
                area += peaks_[static_cast<std::size_t>(p)].area;
                variance += std::pow(peaks_[static_cast<std::size_t>(p)].d_area, 2);
            }
        }
        if (w <= 0.0 || area <= 0.0 || here <= 0.0) return true;
        const double predicted = area / w * here;
        const double d_predicted = predicted * std::sqrt(variance) / area;
        const PeakForMatch& at = peaks_[static_cast<std::size_t>(peak)];
        return at.area - claim_margin() * predicted <=
               claim_sigmas * std::hypot(at.d_area, claim_margin() * d_predicted);
    }

    double closeness_at(std::size_t c, int peak) const {
        const Candidate& cand = candidates_[c];
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < cand.match.size(); ++i)
            if (cand.match[i] == peak) best = std::min(best, cand.closeness[i]);
        return best;
    }

    std::vector<int> owners(const std::vector<bool>& alive) const {
        const auto claims = claimants();
        std::vector<int> owner(peaks_.size(), -1);
        for (std::size_t p = 0; p < peaks_.size(); ++p) {
            const auto& there = claims[p];
            if (there.empty()) continue;
            std::vector<std::size_t> tier;
            for (std::size_t c : there) {
                // The annihilation line takes its peak whatever else lies there.
                if (candidates_[c].annihilation) tier = {c};
                if (!tier.empty() && candidates_[tier.front()].annihilation) break;
                if (alive[c]) tier.push_back(c);
            }
            if (tier.empty()) tier = there;
            // Only those whose other lines can explain the area, where any can.
            std::vector<std::size_t> able;
            for (std::size_t c : tier)
                if (explains(c, static_cast<int>(p), claims, alive)) able.push_back(c);
            if (!able.empty()) tier = able;
            std::size_t best = tier.front();
            for (std::size_t c : tier) {
                const double e = evidence(c, claims, alive), e_best = evidence(best, claims, alive);
                if (e > e_best + 1e-12 ||
                    (std::fabs(e - e_best) <= 1e-12 && closeness_at(c, static_cast<int>(p)) <
                                                           closeness_at(best, static_cast<int>(p))))
                    best = c;
            }
            owner[p] = static_cast<int>(best);
        }
        return owner;
    }

    // A missing line beside a found peak: within the distance an unresolved pair is
    // fitted as one, or in the flank of a much stronger one.
    bool masked(double energy, double expected_area) const {
        return std::any_of(peaks_.begin(), peaks_.end(), [&](const PeakForMatch& p) {
            const double distance = std::fabs(p.energy - energy);
            const double width = std::max(p.fwhm_kev, 2.0 * options_.energy_tolerance_kev);
            return distance < unresolved_fwhm * width ||
                   (distance < flank_fwhm * width && p.area > flank_ratio * expected_area);
        });
    }

    bool inside_curve(double energy) const {
        const bool known = options_.efficiency_high_kev > options_.efficiency_low_kev;
        return !known ||
               (energy >= options_.efficiency_low_kev && energy <= options_.efficiency_high_kev);
    }

    NuclideOutcome evaluate(std::size_t c, const std::vector<int>& owner) const {
        const Candidate& cand = candidates_[c];
        NuclideOutcome out;
        out.name = cand.name;
        out.expected = static_cast<int>(cand.lines.size());
        const auto claims = claimants();
        std::set<int> found_peaks;
        for (std::size_t i = 0; i < cand.lines.size(); ++i) {
            LineOutcome line;
            line.line = cand.lines[i];
            line.peak = cand.match[i];
            if (line.peak >= 0) {
                const auto p = static_cast<std::size_t>(line.peak);
                line.peak_energy = peaks_[p].energy;
                line.difference = peaks_[p].energy - line.line->energy;
                line.status =
                    owner[p] == static_cast<int>(c) ? LineStatus::found : LineStatus::shared;
                if (line.status == LineStatus::found) {
                    found_peaks.insert(line.peak);
                    for (std::size_t o : claims[p])
                        if (o != c) out.interferences.push_back({line.peak, candidates_[o].name});
                } else if (owner[p] >= 0) {
                    out.interferences.push_back(
                        {line.peak, candidates_[static_cast<std::size_t>(owner[p])].name});
                }
            }
            out.lines.push_back(line);
        }
        out.peaks.assign(found_peaks.begin(), found_peaks.end());
        out.found = static_cast<int>(
            std::count_if(out.lines.begin(), out.lines.end(),
                          [](const LineOutcome& l) { return l.status == LineStatus::found; }));
        if (cand.annihilation) {
            out.identified = out.found > 0;
            out.score = out.identified ? 1.0 : 0.0;
            return out;
        }
        if (out.found == 0) return out;
        double found_weight = 0.0, visible_weight = 0.0, expected_weight = 0.0;
        bool required_missing = false;
        const bool efficiency_known = static_cast<bool>(options_.relative_efficiency);
        for (const auto& line : out.lines) {
            if (line.status == LineStatus::found) found_weight += weight(*line.line);
            const double energy = line.line->energy;
            if (line.status == LineStatus::found ||
                (inside_curve(energy) && (efficiency_known || energy >= expectation_floor_kev)))
                expected_weight += weight(*line.line);
        }
        for (auto& line : out.lines) {
            if (line.status != LineStatus::missing) continue;
            const double energy = line.line->energy;
            if (!efficiency_known && energy < expectation_floor_kev) continue;
            if (!inside_curve(energy)) continue;
            // The found lines this one can be scaled from, by peak.
            std::map<int, std::pair<double, double>> by_peak;  // peak: factor, weight
            double weakest = std::numeric_limits<double>::infinity();
            for (const auto& f : out.lines) {
                if (f.status != LineStatus::found) continue;
                // Without an efficiency a lower line is used only when close below, its
                // area scaled down as if the efficiency fell as steeply as E^-1.5.
                double factor = 1.0;
                if (!efficiency_known && f.line->energy < energy) {
                    if (f.line->energy < close_below_floor_kev ||
                        energy > close_below_ratio * f.line->energy)
                        continue;
                    factor = std::pow(f.line->energy / energy, steepest_efficiency_slope);
                }
                by_peak.try_emplace(f.peak, factor, 0.0).first->second.second += weight(*f.line);
                weakest = std::min(weakest, weight(*f.line));
            }
            // A line stronger than a found one is scaled from all found peaks together; one
            // weaker than all of them from the peak that predicts it least, since any found
            // peak may hold another nuclide's line or an X-ray too.
            const bool weaker = weight(*line.line) <= weakest;
            double area = 0.0, variance = 0.0, w = 0.0;
            for (const auto& [p, fw] : by_peak) {
                const PeakForMatch& at = peaks_[static_cast<std::size_t>(p)];
                const double a = fw.first * at.area, d = fw.first * at.d_area;
                if (weaker && w > 0.0 && a / fw.second >= area / w) continue;
                if (weaker) area = variance = w = 0.0;
                area += a;
                variance += d * d;
                w += fw.second;
            }
            if (w <= 0.0 || area <= 0.0) continue;
            const double expected = area / w * weight(*line.line);
            const double d_expected = expected * std::sqrt(variance) / area;
            const double detectable =
                options_.detectable_area ? options_.detectable_area(energy) : 0.0;
            if (expected > detectable) visible_weight += weight(*line.line);
            // Weaker lines too: a 186 keV peak of 50,000 counts is no U-235 without its
            // 143.8 keV line, expected at a fifth of it.
            line.required =
                expected - expectation_sigmas * d_expected > expectation_margin * detectable &&
                !masked(energy, expected);
            required_missing = required_missing || line.required;
        }
        out.score = expected_weight > 0.0 ? found_weight / expected_weight : 0.0;
        out.identified =
            !required_missing && found_weight / (found_weight + visible_weight) >= min_score;
        return out;
    }

    std::vector<std::string> chains(const std::vector<NuclideOutcome>& outcomes) const {
        std::map<std::string, std::vector<std::string>> members;
        std::vector<std::string> order;
        for (const auto& facts : library_.nuclides) {
            if (facts.chain.empty()) continue;
            const auto found = std::find_if(
                outcomes.begin(), outcomes.end(),
                [&](const NuclideOutcome& o) { return o.name == facts.name && o.identified; });
            if (found == outcomes.end()) continue;
            if (!members.count(facts.chain)) order.push_back(facts.chain);
            members[facts.chain].push_back(facts.name);
        }
        std::vector<std::string> out;
        for (const auto& chain : order) {
            const auto& names = members[chain];
            if (names.size() < 2) continue;  // one member alone may stand outside its chain
            std::string text = chain + ":";
            for (const auto& name : names) text += " " + name;
            out.push_back(text);
        }
        return out;
    }

    std::span<const PeakForMatch> peaks_;
    const LineLibrary& library_;
    const IdentifyOptions& options_;
    std::vector<Candidate> candidates_;
};

}  // namespace

Identification identify(std::span<const PeakForMatch> peaks, const LineLibrary& library,
                        const IdentifyOptions& options) {
    return Identifier(peaks, library, options).run();
}

}  // namespace sorvane::nuclides
