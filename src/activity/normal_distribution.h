#pragma once

namespace sorvane::activity {

// The standard normal distribution function Phi(x).
double normal_cdf(double x);

// Its inverse for 0 < p < 1, to about 1e-9 absolute (a rational first guess
// refined by Halley steps on erfc); infinite at 0 and 1.
double normal_quantile(double p);

}  // namespace sorvane::activity
