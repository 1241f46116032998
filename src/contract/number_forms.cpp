#include "contract/number_forms.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "contract/number_text.h"

namespace sorvane {
namespace {

// The significant digits (no trailing zeros) of a value rounded to 15 of them,
// and the power of ten of the first digit. Zero gives no digits.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits fifteen_digits(double magnitude) {
    Digits out;
    if (magnitude == 0 || !std::isfinite(magnitude)) return out;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    std::string_view text(buffer);
    std::size_t e = text.find('e');
    for (char c : text.substr(0, e)) {
        if (c != '.') out.digits += c;
    }
    while (!out.digits.empty() && out.digits.back() == '0') out.digits.pop_back();
    out.exponent = std::stoi(std::string(text.substr(e + 1)));
    return out;
}

// The unsigned shortest form; `leading_zero` puts a 0 before a leading point.
std::string shortest_form(double magnitude, bool leading_zero) {
    Digits d = fifteen_digits(magnitude);
    if (d.digits.empty()) return "0";
    if (d.exponent >= 15 || d.exponent <= -5) {
        std::string text = d.digits.substr(0, 1);
        if (d.digits.size() > 1) text += "." + d.digits.substr(1);
        char exponent[16];
        std::snprintf(exponent, sizeof exponent, "E%c%02d", d.exponent < 0 ? '-' : '+',
                      std::abs(d.exponent));
        return text + exponent;
    }
    if (d.exponent < 0) {
        return std::string(leading_zero ? "0." : ".") +
               std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    }
    const auto integer_length = static_cast<std::size_t>(d.exponent + 1);
    if (d.digits.size() <= integer_length) {
        return d.digits + std::string(integer_length - d.digits.size(), '0');
    }
    return d.digits.substr(0, integer_length) + "." + d.digits.substr(integer_length);
}

double hex_or_octal(std::string_view digits, int base) {
    std::uint64_t value = 0;
    std::size_t used = 0;
    for (char c : digits) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : 99;
        if (digit >= base || used == 16) break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        ++used;
    }
    // Typed constants are 16-bit or 32-bit integers: &HFFFF is -1.
    if (value <= 0xFFFF) return static_cast<double>(static_cast<std::int16_t>(value));
    if (value <= 0xFFFFFFFF) return static_cast<double>(static_cast<std::int32_t>(value));
    return static_cast<double>(value);
}

}  // namespace

std::string plain_number_form(double value) {
    return (value < 0 ? "-" : "") + shortest_form(std::fabs(value), true);
}

std::string signed_number_form(double value) {
    return (value < 0 ? "-" : " ") + shortest_form(std::fabs(value), false);
}

std::string list_print_form(double value) {
    return (value < 0 ? "-" : " ") + shortest_form(std::fabs(value), true) + " ";
}

std::string zero_padded(double value, int integer_digits, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    // Only a value that is exactly a half is a tie; every other value is rounded
    // to its nearer neighbour from its exact binary value.
    const bool tie =
        std::fabs(scaled - std::trunc(scaled)) == 0.5 && value * 8 == std::trunc(value * 8);
    char buffer[400];
    if (tie) {
        std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(std::round(scaled)));
        std::string digits(buffer);
        const auto places = static_cast<std::size_t>(decimals);
        if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
        if (places > 0) digits.insert(digits.size() - places, ".");
        std::snprintf(buffer, sizeof buffer, "%s", digits.c_str());
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    }
    std::string text(buffer);
    const std::size_t point = text.find('.');
    const std::size_t integer_length = point == std::string::npos ? text.size() : point;
    if (integer_length < static_cast<std::size_t>(integer_digits)) {
        text.insert(0, static_cast<std::size_t>(integer_digits) - integer_length, '0');
    }
    const bool all_zero = text.find_first_not_of("0.") == std::string::npos;
    return (value < 0 && !all_zero ? "-" : "") + text;
}

std::string ten_digit_form(double value) {
    char buffer[40];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10).ptr;
    return std::string(buffer, end);
}

std::string two_digit_code(std::int16_t value) {
    return zero_padded(static_cast<double>(value), 2, 0) + " ";
}

std::string peak_channel_form(double value) {
    return " " + zero_padded(value, 1, 2);
}

double lenient_number(std::string_view text) {
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    }
    if (packed.size() >= 2 && packed[0] == '&') {
        if (packed[1] == 'H' || packed[1] == 'h')
            return hex_or_octal(std::string_view(packed).substr(2), 16);
        if (packed[1] == 'O' || packed[1] == 'o')
            return hex_or_octal(std::string_view(packed).substr(2), 8);
    }
    try {
        return number_value(packed);
    } catch (const ReadFault&) {
        return 0;  // beyond the range of a double: no usable number
    }
}

}  // namespace sorvane
