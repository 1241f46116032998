#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace sorvane::analysis {

// A small dense matrix in row-major order, for the normal equations of a fit.
struct Matrix {
    std::size_t rows = 0;
    std::size_t cols = 0;
    std::vector<double> values;

    Matrix() = default;
    Matrix(std::size_t r, std::size_t c) : rows(r), cols(c), values(r * c, 0.0) {}
    double& operator()(std::size_t r, std::size_t c) { return values[r * cols + c]; }
    double operator()(std::size_t r, std::size_t c) const { return values[r * cols + c]; }
};

// Solves A x = b for a symmetric positive definite A by Cholesky; nothing when A
// is not positive definite.
std::optional<std::vector<double>> solve_symmetric(const Matrix& a, const std::vector<double>& b);

// The inverse of a symmetric positive semi-definite A. A parameter whose row is
// (numerically) zero or dependent on the others gets a zero row and column, so
// a parameter the data do not determine does not spoil the others.
Matrix invert_symmetric(const Matrix& a);

}  // namespace sorvane::analysis
