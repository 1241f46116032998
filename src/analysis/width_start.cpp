#include "analysis/width_start.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/peak_search.h"

namespace sorvane::analysis {
namespace {

// Trial widths (FWHM in channels at the middle of the range: 1.5, 3, 6, 12): a factor
// two apart, so every real width from 1 to 17 channels lies within a factor 1.4 of one; the search
// finds strong lines at that distance, and only their places are taken from it. Each wider trial
// searches the counts summed over 2, 4, 8 channels at the narrow trial's width, which
// finds the same lines at a fraction of the cost.
struct Trial {
    double fwhm;  // in channels of the summed counts
    int binning;  // channels summed
};
constexpr std::array<Trial, 4> trials{{{1.5, 1}, {1.5, 2}, {1.5, 4}, {1.5, 8}}};
// Significance of a candidate whose width is worth reading.
constexpr double strong_candidate = 10.0;
// Lines read at most, and candidates tried at most.
constexpr std::size_t most_lines = 24;
constexpr std::size_t most_tries = 120;
// The top must stand this many of its own standard deviations above the feet, so
// that the half-height level is not lost in the noise.
constexpr double least_height_sigmas = 4.0;
// The feet of a lone line differ by the continuum's slope across it, a small share
// of a line strong enough to be read.
constexpr double most_feet_difference = 0.2;
// How far the counts are followed downhill on each side.
constexpr int longest_flank = 64;

double mean3(std::span<const double> counts, int i) {
    return (counts[static_cast<std::size_t>(i - 1)] + counts[static_cast<std::size_t>(i)] +
            counts[static_cast<std::size_t>(i + 1)]) /
           3.0;
}

// The channel where the falling counts level out, going in `step` (+1 or -1);
// one channel of noise against the fall does not stop it.
int foot_of(std::span<const double> counts, int top, int step) {
    const int n = static_cast<int>(counts.size());
    int i = top;
    for (int walked = 0; walked < longest_flank; ++walked) {
        const int one = i + step, two = i + 2 * step;
        if (two - 1 < 0 || two + 1 >= n) break;
        if (std::min(mean3(counts, one), mean3(counts, two)) >= mean3(counts, i)) break;
        i = one;
    }
    return i;
}

// Where the counts cross `level` going from the top in `step`, interpolated.
double crossing(std::span<const double> counts, int top, int foot, int step, double level) {
    int j = top;
    while (j != foot && counts[static_cast<std::size_t>(j)] > level) j += step;
    const double inner = counts[static_cast<std::size_t>(j - step)];
    const double outer = counts[static_cast<std::size_t>(j)];
    if (outer > level || inner <= outer) return static_cast<double>(j);
    return j - step * (level - outer) / (inner - outer);
}

// The centre of a top: the vertex of the parabola through its channel and the two
// beside it, so that a line read on one side is not half a channel off.
double vertex(std::span<const double> counts, int top) {
    const double below = counts[static_cast<std::size_t>(top - 1)];
    const double at = counts[static_cast<std::size_t>(top)];
    const double above = counts[static_cast<std::size_t>(top + 1)];
    const double curvature = below - 2.0 * at + above;
    if (!(curvature < 0.0)) return top;
    return top + std::clamp(0.5 * (below - above) / curvature, -0.5, 0.5);
}

std::vector<double> binned(std::span<const double> counts, int binning) {
    std::vector<double> out(counts.size() / static_cast<std::size_t>(binning), 0.0);
    for (std::size_t i = 0; i < out.size() * static_cast<std::size_t>(binning); ++i)
        out[i / static_cast<std::size_t>(binning)] += counts[i];
    return out;
}

}  // namespace

std::optional<HalfHeightWidth> half_height_width(std::span<const double> counts, double channel) {
    const int n = static_cast<int>(counts.size());
    const int near = static_cast<int>(std::lround(channel));
    if (near < 4 || near > n - 5) return std::nullopt;
    int top = near;
    for (int i = near - 2; i <= near + 2; ++i)
        if (counts[static_cast<std::size_t>(i)] > counts[static_cast<std::size_t>(top)]) top = i;
    if (top < 3 || top > n - 4) return std::nullopt;
    const int left_foot = foot_of(counts, top, -1);
    const int right_foot = foot_of(counts, top, +1);
    HalfHeightWidth out;
    out.top = top;
    const double left_level = mean3(counts, left_foot), right_level = mean3(counts, right_foot);
    const double peak = counts[static_cast<std::size_t>(top)];
    // One foot far above the other is the valley to a resolved neighbour: the half
    // level taken between the feet would sit too high and read the line narrow, so
    // the line is read on its outer side alone, from its centre. A valley above half
    // height is a neighbour too close to leave the centre where it was.
    const double lower = std::min(left_level, right_level);
    const bool one_sided =
        std::fabs(left_level - right_level) > most_feet_difference * (peak - lower);
    out.feet = one_sided ? lower : 0.5 * (left_level + right_level);
    out.height = peak - out.feet;
    if (!(out.height > least_height_sigmas * std::sqrt(std::max(peak, 1.0)))) return std::nullopt;
    const double half = out.feet + 0.5 * out.height;
    if (one_sided) {
        const int step = left_level < right_level ? -1 : +1;
        const int foot = step < 0 ? left_foot : right_foot,
                  valley = step < 0 ? right_foot : left_foot;
        if (counts[static_cast<std::size_t>(valley)] > half) return std::nullopt;
        out.fwhm = 2.0 * std::fabs(crossing(counts, top, foot, step, half) - vertex(counts, top));
        if (!(out.fwhm > 0.0)) return std::nullopt;
        return out;
    }
    // A half-height level below a foot means the line runs into a neighbour there.
    if (counts[static_cast<std::size_t>(left_foot)] > half ||
        counts[static_cast<std::size_t>(right_foot)] > half)
        return std::nullopt;
    const double left = crossing(counts, top, left_foot, -1, half);
    const double right = crossing(counts, top, right_foot, +1, half);
    const double low_half = top - left, high_half = right - top;
    // A lone line is about symmetric at half height (the top channel may sit half a
    // channel off its centre); a shoulder or an unresolved neighbour is not.
    if (std::max(low_half, high_half) > 2.0 * std::min(low_half, high_half) + 1.0)
        return std::nullopt;
    out.fwhm = right - left;
    if (!(out.fwhm > 0.0)) return std::nullopt;
    return out;
}

std::optional<SpectrumWidths> width_from_spectrum(std::span<const double> counts, int first,
                                                  int last, const WidthCalibration& shape,
                                                  int smoothing_points) {
    const double middle = 0.5 * (first + last);
    const double shape_middle = shape.fwhm(middle);
    if (!(shape_middle > 0.0) || !std::isfinite(shape_middle)) return std::nullopt;
    auto scaled = [&](double factor) {
        WidthCalibration w = shape;
        const double f2 = factor * factor;
        w.a *= f2;
        w.b *= f2;
        w.c *= f2;
        return w;
    };
    std::vector<PeakCandidate> candidates;
    for (const auto& trial : trials) {
        const double k = trial.binning;
        const std::vector<double> summed = binned(counts, trial.binning);
        // The shape in summed channels: FWHM / k at channel (j + 1/2) k - 1/2.
        WidthCalibration width = scaled(trial.fwhm * k / shape_middle);
        const double a = width.a, b = width.b, c = width.c;
        const double shift = 0.5 * k - 0.5;
        width.a = (a + b * shift + c * shift * shift) / (k * k);
        width.b = (b + 2.0 * c * shift) / k;
        width.c = c;
        const auto found =
            search_peaks(summed, static_cast<int>(first / k), static_cast<int>(last / k), width,
                         smoothing_points, strong_candidate);
        for (auto candidate : found) {
            candidate.channel = candidate.channel * k + shift;
            candidates.push_back(candidate);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const PeakCandidate& a, const PeakCandidate& b) {
                         return a.significance > b.significance;
                     });
    struct Tried {
        double channel;
        double reach;
    };
    std::vector<Tried> tried;
    std::vector<double> ratios;
    std::size_t tries = 0;
    for (const auto& candidate : candidates) {
        if (ratios.size() >= most_lines || tries >= most_tries) break;
        const bool seen = std::any_of(tried.begin(), tried.end(), [&](const Tried& t) {
            return std::fabs(t.channel - candidate.channel) < t.reach;
        });
        if (seen) continue;
        ++tries;
        const auto line = half_height_width(counts, candidate.channel);
        // One line gives candidates at every trial width: its own reach covers them.
        tried.push_back({line ? line->top : candidate.channel, line ? 1.5 * line->fwhm : 2.0});
        if (line) ratios.push_back(line->fwhm / shape.fwhm(line->top));
    }
    if (ratios.size() < 3) return std::nullopt;
    // The lower third, since unresolved doublets, escapes and Doppler lines only widen.
    std::sort(ratios.begin(), ratios.end());
    return SpectrumWidths{scaled(ratios[ratios.size() / 3]), scaled(ratios[ratios.size() / 2])};
}

}  // namespace sorvane::analysis
