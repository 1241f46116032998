#pragma once

#include <optional>
#include <string_view>

namespace sorvane::activity {

// Seconds since 1970-01-01 00:00:00 of "YYYY-MM-DD HH:MM:SS" (or with "T" between
// date and time); nothing when the text is not such a date or names no real day.
std::optional<double> seconds_of_date(std::string_view text);

struct DecayInput {
    double half_life_s = 0.0;
    double d_half_life_s = 0.0;
    double start_after_reference_s = 0.0;  // spectrum start minus reference time
    double real_time_s = 0.0;              // the count's duration, for decay during it
};

// Counts = efficiency * probability * live time * A(reference) * factor, so an
// activity at the reference time is the count rate divided by the factor.
struct DecayCorrection {
    double factor = 1.0;
    double relative_uncertainty = 0.0;  // from the half-life's uncertainty
};

// exp(-lambda * start) * (1 - exp(-lambda * real)) / (lambda * real); a half-life of
// zero or less (unknown) is taken as stable.
DecayCorrection decay_correction(const DecayInput& input);

}  // namespace sorvane::activity
