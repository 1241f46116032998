#include "activity/decay.h"

#include <charconv>
#include <cmath>

namespace sorvane::activity {
namespace {

bool read_int(std::string_view text, std::size_t at, std::size_t width, int& value) {
    if (at + width > text.size()) return false;
    for (std::size_t i = at; i < at + width; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    std::from_chars(text.data() + at, text.data() + at + width, value);
    return true;
}

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long days_from_civil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int days_in_month(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

// (1 - exp(-x)) / x, exact also for x near 0.
double mean_of_decay(double x) {
    return std::abs(x) < 1e-12 ? 1.0 : -std::expm1(-x) / x;
}

// d ln(mean_of_decay(x)) / dx = 1 / (exp(x) - 1) - 1 / x, by its series where the
// two terms cancel.
double decay_slope_term(double x) {
    if (std::abs(x) < 1e-4) return -0.5 + x / 12.0;
    return 1.0 / std::expm1(x) - 1.0 / x;
}

}  // namespace

std::optional<double> seconds_of_date(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    if (!read_int(text, 0, 4, y) || !read_int(text, 5, 2, mo) || !read_int(text, 8, 2, d) ||
        !read_int(text, 11, 2, h) || !read_int(text, 14, 2, mi) || !read_int(text, 17, 2, s))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > days_in_month(y, mo) || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return static_cast<double>(days_from_civil(y, mo, d)) * 86400.0 + h * 3600.0 + mi * 60.0 + s;
}

DecayCorrection decay_correction(const DecayInput& input) {
    if (!(input.half_life_s > 0.0) || !std::isfinite(input.half_life_s)) return {};
    const double lambda = std::log(2.0) / input.half_life_s;
    const double during = lambda * std::max(input.real_time_s, 0.0);
    DecayCorrection out;
    out.factor = std::exp(-lambda * input.start_after_reference_s) * mean_of_decay(during);
    // d ln(factor) / d lambda, times lambda: the relative sensitivity to the half-life.
    const double slope =
        -input.start_after_reference_s * lambda + during * decay_slope_term(during);
    out.relative_uncertainty = std::abs(slope) * input.d_half_life_s / input.half_life_s;
    return out;
}

}  // namespace sorvane::activity
