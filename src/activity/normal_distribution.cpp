#include "activity/normal_distribution.h"

#include <array>
#include <cmath>
#include <limits>

namespace sorvane::activity {
namespace {

constexpr double sqrt_2pi = 2.50662827463100050242;

// P. J. Acklam's rational approximation (relative error 1.15e-9), the first guess.
double acklam_guess(double p) {
    static constexpr std::array<double, 6> a = {-3.969683028665376e+01, 2.209460984245205e+02,
                                                -2.759285104469687e+02, 1.383577518672690e+02,
                                                -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr std::array<double, 5> b = {-5.447609879822406e+01, 1.615858368580409e+02,
                                                -1.556989798598866e+02, 6.680131188771972e+01,
                                                -1.328068155288572e+01};
    static constexpr std::array<double, 6> c = {-7.784894002430293e-03, -3.223964580411365e-01,
                                                -2.400758277161838e+00, -2.549732539343734e+00,
                                                4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr std::array<double, 4> d = {7.784695709041462e-03, 3.224671290700398e-01,
                                                2.445134137142996e+00, 3.754408661907416e+00};
    constexpr double low = 0.02425;
    if (p < low) {
        const double q = std::sqrt(-2.0 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    }
    const double q = p - 0.5;
    const double r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

}  // namespace

double normal_cdf(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

double normal_quantile(double p) {
    if (!(p > 0.0)) return -std::numeric_limits<double>::infinity();
    if (!(p < 1.0)) return std::numeric_limits<double>::infinity();
    // The lower tail, where erfc keeps its digits (1 - p is exact for p >= 0.5).
    if (p > 0.5) return -normal_quantile(1.0 - p);
    double x = acklam_guess(p);
    for (int step = 0; step < 2; ++step) {
        const double e = normal_cdf(x) - p;
        const double u = e * sqrt_2pi * std::exp(x * x / 2.0);
        x -= u / (1.0 + x * u / 2.0);
    }
    return x;
}

}  // namespace sorvane::activity
