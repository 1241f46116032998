#include "analysis/dense_matrix.h"

#include <cmath>

namespace sorvane::analysis {
namespace {

// Lower factor L of A = L L^T; nothing when a pivot is not positive.
std::optional<Matrix> cholesky(const Matrix& a) {
    const std::size_t n = a.rows;
    Matrix l(n, n);
    for (std::size_t j = 0; j < n; ++j) {
        double diagonal = a(j, j);
        for (std::size_t k = 0; k < j; ++k) diagonal -= l(j, k) * l(j, k);
        if (!(diagonal > 0.0)) return std::nullopt;
        l(j, j) = std::sqrt(diagonal);
        for (std::size_t i = j + 1; i < n; ++i) {
            double sum = a(i, j);
            for (std::size_t k = 0; k < j; ++k) sum -= l(i, k) * l(j, k);
            l(i, j) = sum / l(j, j);
        }
    }
    return l;
}

std::vector<double> cholesky_solve(const Matrix& l, std::vector<double> x) {
    const std::size_t n = l.rows;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < i; ++k) x[i] -= l(i, k) * x[k];
        x[i] /= l(i, i);
    }
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t k = i + 1; k < n; ++k) x[i] -= l(k, i) * x[k];
        x[i] /= l(i, i);
    }
    return x;
}

}  // namespace

std::optional<std::vector<double>> solve_symmetric(const Matrix& a, const std::vector<double>& b) {
    auto l = cholesky(a);
    if (!l) return std::nullopt;
    return cholesky_solve(*l, b);
}

Matrix invert_symmetric(const Matrix& a) {
    const std::size_t n = a.rows;
    // Scale to unit diagonal so the test for dependent rows does not depend on units.
    std::vector<double> scale(n, 0.0);
    std::vector<bool> used(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        if (a(i, i) > 0.0 && std::isfinite(a(i, i))) {
            scale[i] = 1.0 / std::sqrt(a(i, i));
            used[i] = true;
        }
    }
    Matrix result(n, n);
    // Drop the weakest parameters one at a time until the rest is well conditioned.
    for (;;) {
        std::vector<std::size_t> index;
        for (std::size_t i = 0; i < n; ++i)
            if (used[i]) index.push_back(i);
        const std::size_t m = index.size();
        if (m == 0) return result;
        Matrix scaled(m, m);
        for (std::size_t r = 0; r < m; ++r)
            for (std::size_t c = 0; c < m; ++c)
                scaled(r, c) = a(index[r], index[c]) * scale[index[r]] * scale[index[c]];
        // Pivots below this ratio mean a parameter the data cannot tell from the others.
        constexpr double dependent = 1e-12;
        Matrix l(m, m);
        std::optional<std::size_t> bad;
        for (std::size_t j = 0; j < m && !bad; ++j) {
            double diagonal = scaled(j, j);
            for (std::size_t k = 0; k < j; ++k) diagonal -= l(j, k) * l(j, k);
            if (!(diagonal > dependent)) {
                bad = j;
                break;
            }
            l(j, j) = std::sqrt(diagonal);
            for (std::size_t i = j + 1; i < m; ++i) {
                double sum = scaled(i, j);
                for (std::size_t k = 0; k < j; ++k) sum -= l(i, k) * l(j, k);
                l(i, j) = sum / l(j, j);
            }
        }
        if (bad) {
            used[index[*bad]] = false;
            continue;
        }
        for (std::size_t c = 0; c < m; ++c) {
            std::vector<double> unit(m, 0.0);
            unit[c] = 1.0;
            const auto column = cholesky_solve(l, unit);
            for (std::size_t r = 0; r < m; ++r)
                result(index[r], index[c]) = column[r] * scale[index[r]] * scale[index[c]];
        }
        return result;
    }
}

}  // namespace sorvane::analysis
