#include "energy_recalibration.h"

#include "energy_anchors.h"
#include "scale_correction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>

namespace sorvane::nuclides {
namespace {

using namespace recalibration;

// How the anchors are paired with lines and kept.
constexpr double search_shift_kev = 3.0;      // the file's calibration may be this far off
constexpr double search_stretch = 0.005;      // ... plus this fraction of the energy
constexpr double linear_tolerance_kev = 1.0;  // pairing under a straight correction
constexpr double outlier_sigmas = 4.0;
// A file's calibration is seldom further off than this (keV at an energy E): a trial
// correction pays for each peak it moves by more, so a lone peak is not moved onto a
// neighbouring line when it already sits on one.
double expected_drift_kev(double kev) {
    return 1.0 + 0.001 * kev;
}
constexpr double drift_penalty = 0.1;
// A fitted scale's local gain may differ from the file's by this much (a stretch plus
// a curvature the file got wrong); beyond it the lines were paired wrongly.
constexpr double max_fitted_gain_change = 0.02;
// How far the curvature may go when strong lines beyond the anchors call for it (a
// file calibrated over a small range).
constexpr double free_curvature_kev = 30.0;

// The straight correction E' = a + b E that pairs the most anchor peaks with anchor
// lines, tried through every two candidate pairs (and each single pair as an offset).
struct Straight {
    double a = 0.0;
    double b = 1.0;
};

std::vector<Anchor> paired(std::span<const PeakEvidence> peaks,
                           const std::vector<const GammaLine*>& lines, const LineLibrary& library,
                           const Neighbours& neighbours, const QuadraticEnergy& start,
                           auto&& corrected, auto&& tolerance) {
    std::vector<Anchor> anchors;
    const PeakEnergies all(peaks, corrected);
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        if (!anchor_peak(peaks[i])) continue;
        const double e = corrected(peaks[i].channel);
        bool unique = false;
        const double tol = tolerance(peaks[i], e);
        const GammaLine* line = nearest_line(lines, e, tol, unique, [&](const GammaLine& l) {
            return usable(l, library, neighbours, all, std::max(tol, linear_tolerance_kev),
                          peaks[i].significance());
        });
        if (!line || !unique) continue;
        anchors.push_back({i, peaks[i].channel, peaks[i].d_channel, start.energy(peaks[i].channel),
                           line->energy, line->d_energy});
    }
    // A line claimed by two peaks is no anchor for either.
    std::vector<Anchor> out;
    for (const auto& a : anchors) {
        const auto claims = std::count_if(anchors.begin(), anchors.end(), [&](const Anchor& o) {
            return o.line_energy == a.line_energy;
        });
        if (claims == 1) out.push_back(a);
    }
    return out;
}

Straight best_straight(std::span<const PeakEvidence> peaks,
                       const std::vector<const GammaLine*>& lines, const LineLibrary& library,
                       const Neighbours& neighbours, const QuadraticEnergy& start) {
    struct Pair {
        double peak_energy;
        double line_energy;
    };
    std::vector<Pair> candidates;
    for (const auto& peak : peaks) {
        if (!anchor_peak(peak)) continue;
        const double e = start.energy(peak.channel);
        // Every line, not only the anchors: a peak may already sit on a crowded line.
        for (const auto& line : library.lines)
            if (std::fabs(line.energy - e) <= search_shift_kev + search_stretch * e)
                candidates.push_back({e, line.energy});
    }
    // Peaks under a trial scale that fall on a credible line: a strong peak on an anchor
    // line counts one, any other peak on any line a half; ties go to the smaller
    // correction.
    std::vector<double> all_lines;
    for (const auto& line : library.lines) all_lines.push_back(line.energy);
    auto inliers = [&](const Straight& s) {
        const PeakEnergies all(peaks, [&](double ch) { return s.a + s.b * start.energy(ch); });
        double count = 0.0, correction = 0.0;
        for (const auto& peak : peaks) {
            if (peak.flagged('E') || peak.flagged('F') || peak.flagged('S')) continue;
            const double e = start.energy(peak.channel);
            const double moved = s.a + s.b * e;
            bool unique = false;
            const double drift = (moved - e) / expected_drift_kev(e);
            if (anchor_peak(peak) &&
                nearest_line(lines, moved, linear_tolerance_kev, unique, [&](const GammaLine& l) {
                    return usable(l, library, neighbours, all, linear_tolerance_kev,
                                  peak.significance());
                })) {
                count += 1.0 - drift_penalty * drift * drift;
                correction += std::fabs(moved - e);
                continue;
            }
            auto at =
                std::lower_bound(all_lines.begin(), all_lines.end(), moved - linear_tolerance_kev);
            for (; at != all_lines.end() && *at <= moved + linear_tolerance_kev; ++at) {
                const auto& line = library.lines[static_cast<std::size_t>(at - all_lines.begin())];
                if (line.nuclide != annihilation_name &&
                    credible(line, library, all, linear_tolerance_kev, peak.significance())) {
                    count += 0.5 - drift_penalty * drift * drift;
                    break;
                }
            }
        }
        return std::pair{count, -correction};
    };
    Straight best;
    auto best_score = inliers(best);
    auto consider = [&](const Straight& s) {
        const auto score = inliers(s);
        if (score > best_score) {
            best_score = score;
            best = s;
        }
    };
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        consider({candidates[i].line_energy - candidates[i].peak_energy, 1.0});
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            const double span = candidates[j].peak_energy - candidates[i].peak_energy;
            if (std::fabs(span) < 50.0) continue;
            const double b = (candidates[j].line_energy - candidates[i].line_energy) / span;
            if (std::fabs(b - 1.0) > max_gain_change) continue;
            consider({candidates[i].line_energy - b * candidates[i].peak_energy, b});
        }
    }
    return best;
}

// A file whose own curvature is off leaves the strong lines beyond the anchors a few
// keV from their place. Those with a single usable line within the search window
// under the fit are added and the curvature let go; the result stands only when two
// or more were added and every pair then sits within its tolerance.
void extend_to_far_lines(std::span<const PeakEvidence> peaks,
                         const std::vector<const GammaLine*>& lines, const LineLibrary& library,
                         const Neighbours& neighbours, const QuadraticEnergy& start,
                         double top_channel, double floor_kev, std::vector<Anchor>& anchors,
                         QuadraticEnergy& fitted) {
    double low = std::numeric_limits<double>::infinity(), high = 0.0;
    for (const auto& a : anchors) {
        low = std::min(low, a.channel);
        high = std::max(high, a.channel);
    }
    std::vector<Anchor> wide = paired(
        peaks, lines, library, neighbours, start, [&](double ch) { return fitted.energy(ch); },
        [&](const PeakEvidence&, double e) { return search_shift_kev + search_stretch * e; });
    std::vector<Anchor> extended = anchors;
    for (const auto& w : wide) {
        const bool beyond = w.channel > high + 0.1 * (high - low);
        const bool new_peak = std::none_of(anchors.begin(), anchors.end(),
                                           [&](const Anchor& a) { return a.peak == w.peak; });
        if (beyond && new_peak) extended.push_back(w);
    }
    // Two far lines at least: one sets the curvature, the other checks it.
    if (extended.size() < anchors.size() + 2 || anchors.size() < 3) return;
    QuadraticEnergy trial;
    if (!fit_correction(extended, start, top_channel, trial, free_curvature_kev)) return;
    for (const auto& a : extended) {
        const double tolerance = match_tolerance(trial.slope(a.channel) * a.d_channel,
                                                 trial.d_energy(a.channel), a.d_line, floor_kev);
        if (std::fabs(a.line_energy - trial.energy(a.channel)) > tolerance) return;
    }
    anchors = std::move(extended);
    fitted = trial;
}

// One anchor gives an offset only, and an offset can push the spectrum's other lines
// off their places (a file whose gain is 0.5 % off: 1173 keV put right moves 1332 keV
// 0.8 keV away). The other significant peaks on a credible line, within a keV of it
// under the offset or the file's scale, check it. When the offset leaves one beyond its
// tolerance, the scale is fitted through all of them and kept when every line then
// sits within its tolerance; else the offset stands only when it made none of them
// worse. False: the recalibration is refused.
bool checked_offset(std::span<const PeakEvidence> peaks, const LineLibrary& library,
                    const QuadraticEnergy& start, double top_channel, double floor_kev,
                    std::vector<Anchor>& anchors, QuadraticEnergy& fitted) {
    if (anchors.size() != 1) return true;
    const PeakEnergies all(peaks, [&](double ch) { return fitted.energy(ch); });
    auto tolerance = [&](const QuadraticEnergy& scale, const Anchor& a) {
        return match_tolerance(scale.slope(a.channel) * a.d_channel, 0.0, a.d_line, floor_kev);
    };
    std::vector<Anchor> witnesses;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        const PeakEvidence& peak = peaks[i];
        if (i == anchors.front().peak || peak.significance() < anchor_significance ||
            off_scale(peak))
            continue;
        const double moved = fitted.energy(peak.channel), was = start.energy(peak.channel);
        const GammaLine* found = nullptr;
        int within = 0;
        for (const auto& line : library.lines) {
            const double near =
                std::min(std::fabs(line.energy - moved), std::fabs(line.energy - was));
            if (line.nuclide == annihilation_name || near > linear_tolerance_kev ||
                !credible(line, library, all, linear_tolerance_kev, peak.significance()))
                continue;
            ++within;
            if (!found || std::fabs(line.energy - moved) < std::fabs(found->energy - moved))
                found = &line;
        }
        if (within == 1)
            witnesses.push_back(
                {i, peak.channel, peak.d_channel, was, found->energy, found->d_energy});
    }
    const bool pushed_off = std::any_of(witnesses.begin(), witnesses.end(), [&](const Anchor& w) {
        return std::fabs(w.line_energy - fitted.energy(w.channel)) > tolerance(fitted, w);
    });
    if (!pushed_off) return true;
    std::vector<Anchor> joined = anchors;
    joined.insert(joined.end(), witnesses.begin(), witnesses.end());
    QuadraticEnergy trial;
    if (fit_correction(joined, start, top_channel, trial) &&
        std::all_of(joined.begin(), joined.end(), [&](const Anchor& a) {
            return std::fabs(a.line_energy - trial.energy(a.channel)) <= tolerance(trial, a) &&
                   std::fabs(trial.slope(a.channel) / start.slope(a.channel) - 1.0) <=
                       max_fitted_gain_change;
        })) {
        anchors = std::move(joined);
        fitted = trial;
        return true;
    }
    return std::none_of(witnesses.begin(), witnesses.end(), [&](const Anchor& w) {
        const double after = std::fabs(w.line_energy - fitted.energy(w.channel));
        return after > tolerance(fitted, w) && after > std::fabs(w.line_energy - w.start_energy);
    });
}

}  // namespace

Recalibration recalibrate_energy(std::span<const PeakEvidence> peaks, const LineLibrary& library,
                                 const QuadraticEnergy& start, double floor_kev,
                                 double top_channel) {
    Recalibration result;
    const auto lines = anchor_lines(library);
    const Neighbours neighbours = neighbours_of(library);
    const Straight straight = best_straight(peaks, lines, library, neighbours, start);
    std::vector<Anchor> anchors = paired(
        peaks, lines, library, neighbours, start,
        [&](double ch) { return straight.a + straight.b * start.energy(ch); },
        [&](const PeakEvidence&, double) { return linear_tolerance_kev; });
    for (const auto& p : peaks) top_channel = std::max(top_channel, p.channel);
    QuadraticEnergy fitted = start;
    std::vector<std::size_t> rejected;  // peaks whose pairs were left out as outliers
    for (int round = 0; round < 3 && !anchors.empty(); ++round) {
        if (!fit_correction(anchors, start, top_channel, fitted)) return result;
        // Leave out the worst pair beyond the outlier bound, then pair again under the fit.
        // With three pairs or more each is judged by the fit of the others: a lone line
        // at one end of the range would otherwise bend the fit onto itself.
        std::size_t worst = anchors.size();
        double worst_sigmas = outlier_sigmas;
        for (std::size_t i = 0; i < anchors.size(); ++i) {
            const Anchor& a = anchors[i];
            QuadraticEnergy judge = fitted;
            if (anchors.size() >= 3) {
                std::vector<Anchor> others = anchors;
                others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
                if (!fit_correction(others, start, top_channel, judge)) judge = fitted;
            }
            const double sigma = std::hypot(judge.slope(a.channel) * a.d_channel, a.d_line,
                                            judge.d_energy(a.channel));
            const double off = std::fabs(a.line_energy - judge.energy(a.channel));
            if (off > floor_kev / 2 && off > worst_sigmas * sigma)
                worst = i, worst_sigmas = off / sigma;
        }
        if (worst < anchors.size() && anchors.size() > 1) {
            rejected.push_back(anchors[worst].peak);
            std::vector<Anchor> kept = anchors;
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(worst));
            if (!fit_correction(kept, start, top_channel, fitted)) return result;
        }
        anchors = paired(
            peaks, lines, library, neighbours, start, [&](double ch) { return fitted.energy(ch); },
            [&](const PeakEvidence& p, double) {
                // Anchors stay within a keV of the fit, however loose its far ends.
                return std::min(linear_tolerance_kev,
                                match_tolerance(fitted.slope(p.channel) * p.d_channel,
                                                fitted.d_energy(p.channel), 0.0, floor_kev));
            });
        // a pair left out stays out: paired again it would bend the next fit back
        std::erase_if(anchors, [&](const Anchor& a) {
            return std::find(rejected.begin(), rejected.end(), a.peak) != rejected.end();
        });
    }
    if (anchors.empty()) return result;
    if (!fit_correction(anchors, start, top_channel, fitted)) return result;
    // Lines that call for a gain change beyond any drift where they stand were paired
    // wrongly.
    for (const auto& a : anchors)
        if (std::fabs(fitted.slope(a.channel) / start.slope(a.channel) - 1.0) >
            max_fitted_gain_change)
            return result;
    extend_to_far_lines(peaks, lines, library, neighbours, start, top_channel, floor_kev, anchors,
                        fitted);
    if (!checked_offset(peaks, library, start, top_channel, floor_kev, anchors, fitted))
        return result;
    result.done = true;
    result.energy = fitted;
    double sum = 0.0;
    for (const auto& a : anchors) {
        const double residual = a.line_energy - fitted.energy(a.channel);
        result.residuals.push_back({a.peak, a.line_energy, residual});
        sum += residual * residual;
    }
    result.residual_rms_kev = std::sqrt(sum / static_cast<double>(anchors.size()));
    return result;
}

}  // namespace sorvane::nuclides
