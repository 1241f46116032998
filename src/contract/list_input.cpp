#include "contract/list_input.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "contract/number_text.h"

namespace sorvane {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

template <typename Int>
std::optional<Int> to_integer(std::optional<double> value) {
    if (!value) return std::nullopt;
    const double rounded = round_half_even(*value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> decimal_literal(std::string_view field) {
    std::size_t at = 0;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) ++at;
    std::size_t digits = 0;
    while (at < field.size() && is_digit(field[at])) ++at, ++digits;
    if (at < field.size() && field[at] == '.') {
        ++at;
        while (at < field.size() && is_digit(field[at])) ++at, ++digits;
    }
    if (digits == 0) return std::nullopt;
    std::string number(field.substr(0, at));
    if (at < field.size() && std::string_view("EeDd").find(field[at]) != std::string_view::npos) {
        std::size_t exponent = at + 1;
        if (exponent < field.size() && (field[exponent] == '+' || field[exponent] == '-'))
            ++exponent;
        std::size_t exponent_digits = 0;
        while (exponent < field.size() && is_digit(field[exponent])) ++exponent, ++exponent_digits;
        if (exponent_digits == 0) return std::nullopt;
        number += 'e';
        number += field.substr(at + 1, exponent - at - 1);
        at = exponent;
    }
    if (at != field.size()) return std::nullopt;
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool ListInput::at_line_end() const {
    return !at_end() && (bytes_[at_] == '\r' || bytes_[at_] == '\n');
}

bool ListInput::consume_line_end() {
    if (at_end()) return false;
    if (bytes_[at_] == '\r') {
        ++at_;
        if (!at_end() && bytes_[at_] == '\n') ++at_;
        return true;
    }
    if (bytes_[at_] == '\n') {
        ++at_;
        return true;
    }
    return false;
}

void ListInput::skip_blanks() {
    while (!at_end() && is_blank(bytes_[at_])) ++at_;
}

bool ListInput::skip_to_field() {
    while (!at_end() && (is_blank(bytes_[at_]) || at_line_end())) ++at_;
    return !at_end();
}

std::optional<std::string> ListInput::read_line() {
    if (at_end()) return std::nullopt;
    std::size_t start = at_;
    while (!at_end() && !at_line_end()) ++at_;
    std::string line(bytes_.substr(start, at_ - start));
    consume_line_end();
    return line;
}

std::optional<double> ListInput::read_number() {
    if (!skip_to_field()) return std::nullopt;
    std::size_t start = at_;
    while (!at_end() && !is_blank(bytes_[at_]) && bytes_[at_] != ',' && !at_line_end()) ++at_;
    std::string_view field = bytes_.substr(start, at_ - start);
    skip_blanks();
    if (!at_end() && bytes_[at_] == ',') {
        ++at_;
    } else {
        consume_line_end();
    }
    return decimal_literal(field);
}

std::optional<std::int16_t> ListInput::read_int16() {
    return to_integer<std::int16_t>(read_number());
}

std::optional<std::int32_t> ListInput::read_int32() {
    return to_integer<std::int32_t>(read_number());
}

std::optional<std::string> ListInput::read_text() {
    if (!skip_to_field()) return std::nullopt;
    std::string text;
    if (bytes_[at_] == '"') {
        std::size_t close = bytes_.find('"', at_ + 1);
        if (close == std::string_view::npos) close = bytes_.size();
        text = std::string(bytes_.substr(at_ + 1, close - at_ - 1));
        at_ = close < bytes_.size() ? close + 1 : close;
        while (!at_end() && bytes_[at_] != ',' && !at_line_end()) ++at_;
    } else {
        std::size_t start = at_;
        while (!at_end() && bytes_[at_] != ',' && !at_line_end()) ++at_;
        std::string_view field = bytes_.substr(start, at_ - start);
        std::size_t last = field.find_last_not_of(" \t");
        text = std::string(field.substr(0, last == std::string_view::npos ? 0 : last + 1));
    }
    if (!at_end() && bytes_[at_] == ',') {
        ++at_;
    } else {
        consume_line_end();
    }
    return text;
}

}  // namespace sorvane
