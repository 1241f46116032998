#include "scale_correction.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sorvane::nuclides::recalibration {
namespace {

// Solves the n x n system (n <= 3) in place; false when it is singular.
bool solve(int n, double a[3][3], double b[3]) {
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300) return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int r = 0; r < n; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (int c = col; c < n; ++c) a[r][c] -= f * a[col][c];
            b[r] -= f * b[col];
        }
    }
    for (int r = 0; r < n; ++r) b[r] /= a[r][r];
    return true;
}

}  // namespace

bool fit_correction(const std::vector<Anchor>& anchors, const QuadraticEnergy& start,
                    double top_channel, QuadraticEnergy& out, double curvature_prior_kev) {
    constexpr int terms = 3;
    const double scale = std::max(1.0, top_channel);
    const double prior_sigma[3] = {1000.0, 0.001 * std::max(1.0, start.energy(scale)),
                                   curvature_prior_kev};
    double normal[3][3] = {}, rhs[3] = {};
    double chi2 = 0.0;
    auto variance_of = [&](const Anchor& a) {
        const double d = start.slope(a.channel) * a.d_channel;
        return std::max(d * d + a.d_line * a.d_line, 1e-8);
    };
    for (const auto& a : anchors) {
        const double x = a.channel / scale;
        const double basis[3] = {1.0, x, x * x};
        const double w = 1.0 / variance_of(a);
        const double y = a.line_energy - a.start_energy;
        for (int r = 0; r < terms; ++r) {
            rhs[r] += w * basis[r] * y;
            for (int c = 0; c < terms; ++c) normal[r][c] += w * basis[r] * basis[c];
        }
    }
    for (int r = 0; r < terms; ++r) normal[r][r] += 1.0 / (prior_sigma[r] * prior_sigma[r]);
    // The inverse of the normal matrix, column by column.
    double inverse[3][3] = {};
    for (int k = 0; k < terms; ++k) {
        double m[3][3], e[3] = {0.0, 0.0, 0.0};
        std::copy(&normal[0][0], &normal[0][0] + 9, &m[0][0]);
        e[k] = 1.0;
        if (!solve(terms, m, e)) return false;
        for (int r = 0; r < terms; ++r) inverse[r][k] = e[r];
    }
    double d[3] = {0.0, 0.0, 0.0};
    for (int r = 0; r < terms; ++r)
        for (int c = 0; c < terms; ++c) d[r] += inverse[r][c] * rhs[c];
    for (const auto& a : anchors) {
        const double x = a.channel / scale;
        const double r = a.line_energy - a.start_energy - (d[0] + d[1] * x + d[2] * x * x);
        chi2 += r * r / variance_of(a);
    }
    const int dof = static_cast<int>(anchors.size()) - terms;  // the priors add no freedom
    const double inflate = dof > 0 ? std::max(1.0, chi2 / dof) : 1.0;
    const double to_channel[3] = {1.0, 1.0 / scale, 1.0 / (scale * scale)};
    out = start;
    out.c0 += d[0];
    out.c1 += d[1] * to_channel[1];
    out.c2 += d[2] * to_channel[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.covariance[r][c] = inflate * inverse[r][c] * to_channel[r] * to_channel[c];
    return true;
}

}  // namespace sorvane::nuclides::recalibration
