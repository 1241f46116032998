#include "analysis/dense_matrix.h"

#include <gtest/gtest.h>

namespace sorvane::analysis {
namespace {

TEST(DenseMatrix, SolvesAndInvertsByHand) {
    Matrix a(2, 2);
    a(0, 0) = 4;
    a(0, 1) = a(1, 0) = 2;
    a(1, 1) = 3;
    const auto x = solve_symmetric(a, {2.0, 1.0});  // 4x + 2y = 2, 2x + 3y = 1
    ASSERT_TRUE(x);
    EXPECT_NEAR((*x)[0], 0.5, 1e-14);
    EXPECT_NEAR((*x)[1], 0.0, 1e-14);
    const Matrix inverse = invert_symmetric(a);  // 1/8 [3 -2; -2 4]
    EXPECT_NEAR(inverse(0, 0), 3.0 / 8, 1e-14);
    EXPECT_NEAR(inverse(0, 1), -2.0 / 8, 1e-14);
    EXPECT_NEAR(inverse(1, 1), 4.0 / 8, 1e-14);
}

TEST(DenseMatrix, AnUndeterminedParameterGetsAZeroRow) {
    Matrix a(2, 2);
    a(0, 0) = 2;
    const Matrix inverse = invert_symmetric(a);
    EXPECT_NEAR(inverse(0, 0), 0.5, 1e-14);
    EXPECT_EQ(inverse(1, 1), 0.0);
}

}  // namespace
}  // namespace sorvane::analysis
