#include "contract/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace sorvane {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

template <typename Int>
Int round_to(double value, const char* what) {
    // Most values are whole already (counts, channel numbers).
    if (value >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        value <= static_cast<double>(std::numeric_limits<Int>::max()) &&
        static_cast<double>(static_cast<Int>(value)) == value)
        return static_cast<Int>(value);
    double rounded = round_half_even(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        throw ReadFault("number " + std::to_string(value) + " does not fit " + what);
    }
    return static_cast<Int>(rounded);
}

// Walks a text while skipping the blanks, tabs and line feeds that number values ignore.
class PackedCursor {
public:
    explicit PackedCursor(std::string_view text) : text_(text) { skip(); }
    bool at_end() const { return at_ >= text_.size(); }
    char peek() const { return at_end() ? '\0' : text_[at_]; }
    void next() {
        ++at_;
        skip();
    }

private:
    void skip() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n'))
            ++at_;
    }
    std::string_view text_;
    std::size_t at_ = 0;
};

// A whole number of up to 15 digits, as the counts of a spectrum are written, read
// without building a text for from_chars (every such number is exact as a double).
// Nothing when a point or exponent letter follows, or the number is longer.
std::optional<double> whole_number(std::string_view text) {
    std::size_t at = 0;
    auto skip = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) ++at;
    };
    skip();
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
        skip();
    }
    std::uint64_t value = 0;
    int digits = 0;
    while (at < text.size() && is_digit(text[at])) {
        if (++digits > 15) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        ++at;
        skip();
    }
    if (digits == 0) return std::nullopt;
    if (at < text.size() && std::string_view(".EeDd").find(text[at]) != std::string_view::npos)
        return std::nullopt;
    const double magnitude = static_cast<double>(value);
    return negative ? -magnitude : magnitude;
}

}  // namespace

double number_value(std::string_view text) {
    if (const std::optional<double> whole = whole_number(text)) return *whole;
    PackedCursor cursor(text);
    std::string number;  // short numbers stay in the string's own buffer
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        if (cursor.peek() == '-') number += '-';
        cursor.next();
    }
    bool digits = false;
    auto take_digits = [&] {
        while (is_digit(cursor.peek())) {
            number += cursor.peek();
            cursor.next();
            digits = true;
        }
    };
    take_digits();
    if (cursor.peek() == '.') {
        number += '.';
        cursor.next();
        take_digits();
    }
    if (!digits) return 0.0;
    if (std::string_view("EeDd").find(cursor.peek()) != std::string_view::npos &&
        !cursor.at_end()) {
        // The exponent counts only when digits follow its letter (and sign).
        PackedCursor exponent = cursor;
        exponent.next();
        std::string tail = "e";
        if (exponent.peek() == '+' || exponent.peek() == '-') {
            tail += exponent.peek();
            exponent.next();
        }
        if (is_digit(exponent.peek())) {
            while (is_digit(exponent.peek())) {
                tail += exponent.peek();
                exponent.next();
            }
            number += tail;
        }
    }
    double value = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large is a fault of the read.
        if (std::strtod(number.c_str(), nullptr) == 0.0) return 0.0;
        throw ReadFault("number " + number + " is too large");
    }
    return value;
}

double round_half_even(double value) {
    double lower = std::floor(value);
    double fraction = value - lower;
    if (fraction > 0.5) return lower + 1.0;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::int32_t round_to_int32(double value) {
    return round_to<std::int32_t>(value, "32 bits");
}

std::int16_t round_to_int16(double value) {
    return round_to<std::int16_t>(value, "16 bits");
}

}  // namespace sorvane
