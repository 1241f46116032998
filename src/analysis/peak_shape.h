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

// Fraction of a unit-area peak below x and its derivatives. A Gaussian whose
// low-energy side turns into an exponential at `tail` sigmas below the centroid
// and whose high-energy side turns into one at `high_tail` sigmas above it, each
// joined smoothly (value and slope); a k <= 0 leaves that side Gaussian. The high
// tail is the shape pile-up gives a line: a low-energy tail mirrored.
struct ShapeCdf {
    double value = 0.0;
    double d_centroid = 0.0;
    double d_sigma = 0.0;
    double d_tail = 0.0;       // 0 without a low tail
    double d_high_tail = 0.0;  // 0 without a high tail
};
ShapeCdf peak_cdf(double x, double centroid, double sigma, double tail, double high_tail = 0.0);

// The same for many x of one peak, with the terms that depend on the k alone worked out once.
class PeakProfile {
public:
    PeakProfile(double centroid, double sigma, double tail, double high_tail = 0.0);
    ShapeCdf cdf(double x) const;
    // The value alone, for the many evaluations that need no derivatives.
    double value(double x) const;

private:
    // The unnormalised integral below u of the low tail and the core.
    double core_below(double u) const;
    // The fraction below u where u lies on the core.
    double core_value(double u) const;

    double centroid_;
    double sigma_;
    double tail_;
    double high_tail_;
    // The unnormalised density's integral: low tail, Gaussian core, high tail.
    double low_part_ = 0.0;
    double erf_low_ = 1.0;  // erf(k / sqrt 2) of the low join, 1 without a tail
    double norm_ = 0.0;
    double d_norm_ = 0.0;       // d norm / d k of the low tail
    double d_norm_high_ = 0.0;  // d norm / d k of the high tail
};

// Content of channel n (covering [n - 1/2, n + 1/2]) of a unit-area peak, of which
// `high_share` has the high tail and the rest none (pile-up moves a part of a line's
// counts up, however long its tail).
double channel_fraction(int channel, double centroid, double sigma, double tail,
                        double high_tail = 0.0, double high_share = 1.0);

// Mean over [x0, x1] of the step 1/2 + atan(k (x - c) / sigma) / pi, and its
// derivative in c; k is bkg_shape.
struct StepMean {
    double value = 0.0;
    double d_centroid = 0.0;
};
StepMean step_mean(double x0, double x1, double centroid, double sigma, double k);

}  // namespace sorvane::analysis
