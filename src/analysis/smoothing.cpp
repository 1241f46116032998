#include "analysis/smoothing.h"

#include <cstddef>

namespace sorvane::analysis {

std::vector<double> savitzky_golay_weights(int points) {
    if (points == 7) {
        const double norm = 21.0;
        return {-2 / norm, 3 / norm, 6 / norm, 7 / norm, 6 / norm, 3 / norm, -2 / norm};
    }
    const double norm = 35.0;
    return {-3 / norm, 12 / norm, 17 / norm, 12 / norm, -3 / norm};
}

std::vector<double> smooth(std::span<const double> counts, int points) {
    const auto weights = savitzky_golay_weights(points);
    const long half = static_cast<long>(weights.size() / 2);
    const long n = static_cast<long>(counts.size());
    std::vector<double> out(counts.size(), 0.0);
    if (n == 0) return out;
    for (long i = 0; i < n; ++i) {
        double sum = 0.0;
        for (long m = -half; m <= half; ++m) {
            long j = i + m;
            if (j < 0) j = -j;
            if (j >= n) j = 2 * (n - 1) - j;
            if (j < 0 || j >= n) j = i;  // a spectrum shorter than the window
            sum +=
                weights[static_cast<std::size_t>(m + half)] * counts[static_cast<std::size_t>(j)];
        }
        out[static_cast<std::size_t>(i)] = sum;
    }
    return out;
}

}  // namespace sorvane::analysis
