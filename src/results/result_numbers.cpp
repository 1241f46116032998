#include "results/result_numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace sorvane {

std::string number_text(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0.0) return "0";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 8);
    return std::string(buffer, result.ptr);
}

std::string fixed_text(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Counts are whole numbers: written as such they cost a tenth of a general number.
std::string count_text(double count) {
    if (count == std::floor(count) && std::fabs(count) < 1e15) {
        char buffer[24];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(count)).ptr;
        return std::string(buffer, end);
    }
    return number_text(count);
}

}  // namespace sorvane

namespace sorvane {
namespace {

double parsed(const char* begin, const char* end, double fallback) {
    double value = fallback;
    if (std::from_chars(begin, end, value).ec != std::errc()) return fallback;
    return value;
}

}  // namespace

double as_written(double value, int significant_digits) {
    if (!std::isfinite(value) || value == 0.0) return value;
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                   std::chars_format::general, significant_digits)
                         .ptr;
    return parsed(buffer, end, value);
}

double as_written_fixed(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    const std::string text = fixed_text(value, decimals);
    return parsed(text.data(), text.data() + text.size(), value);
}

}  // namespace sorvane
