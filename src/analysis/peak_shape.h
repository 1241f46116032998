#pragma once

namespace sorvane::analysis {

// FWHM of a Gaussian in units of its sigma.
inline constexpr double fwhm_per_sigma = 2.3548200450309493;
// Area of a Gaussian over its height times its FWHM: sqrt(pi / (4 ln 2)).
inline constexpr double area_per_height_fwhm = 1.0644670194312262;

// Bounds of the tail parameter k (in sigmas from the centroid, where the
// exponential joins the Gaussian); at the upper bound the tail holds < 1e-6.
inline constexpr double min_tail = 0.4;
inline constexpr double max_tail = 5.0;

// Fraction of a unit-area peak below x and its derivatives. tail <= 0 is a pure
// Gaussian; otherwise a Gaussian whose low-energy side turns into an exponential
// at k sigmas below the centroid, joined smoothly (value and slope).
struct ShapeCdf {
    double value = 0.0;
    double d_centroid = 0.0;
    double d_sigma = 0.0;
    double d_tail = 0.0;  // 0 for a pure Gaussian
};
ShapeCdf peak_cdf(double x, double centroid, double sigma, double tail);

// The same for many x of one peak, with the terms that depend on k alone worked out once.
class PeakProfile {
public:
    PeakProfile(double centroid, double sigma, double tail);
    ShapeCdf cdf(double x) const;
    // The value alone, for the many evaluations that need no derivatives.
    double value(double x) const;

private:
    double centroid_;
    double sigma_;
    double tail_;
    double norm_ = 0.0;
    double erf_tail_ = 0.0;
    double exp_tail_ = 0.0;
    double d_norm_ = 0.0;  // d norm / d k
};

// Content of channel n (covering [n - 1/2, n + 1/2]) of a unit-area peak.
double channel_fraction(int channel, double centroid, double sigma, double tail);

// Mean over [x0, x1] of the step 1/2 + atan(k (x - c) / sigma) / pi, and its
// derivative in c; k is bkg_shape.
struct StepMean {
    double value = 0.0;
    double d_centroid = 0.0;
};
StepMean step_mean(double x0, double x1, double centroid, double sigma, double k);

}  // namespace sorvane::analysis
