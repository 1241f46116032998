#include "contract/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace sorvane {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

template <typename Int>
Int round_to(double value, const char* what) {
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

}  // namespace

double number_value(std::string_view text) {
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
