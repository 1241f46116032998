#include "import/text_conventions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "import/read_fault.h"
#include "platform/dos_pattern.h"

namespace sorvane {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim_blanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
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

}  // namespace

TextLines::TextLines(std::string bytes) : bytes_(std::move(bytes)) {
    std::size_t start = 0;
    while (start < bytes_.size()) {
        std::size_t cr = bytes_.find('\r', start);
        if (cr == std::string::npos) {
            lines_.push_back({start, bytes_.size() - start});
            break;
        }
        lines_.push_back({start, cr - start});
        start = cr + 1;
        if (start < bytes_.size() && bytes_[start] == '\n') ++start;
    }
}

std::string_view TextLines::read_line() {
    if (at_end()) throw ReadFault("end of file reached");
    return line(next_++);
}

std::optional<std::string_view> TextLines::find_from_top(std::string_view keyword) {
    for (next_ = 0; next_ < lines_.size(); ++next_) {
        if (contains_keyword(line(next_), keyword)) return line(next_++);
    }
    return std::nullopt;
}

std::vector<std::string> split_lines(std::string_view bytes) {
    TextLines lines{std::string(bytes)};
    std::vector<std::string> out;
    while (!lines.at_end()) out.emplace_back(lines.read_line());
    return out;
}

std::string_view columns(std::string_view line, std::size_t c, std::size_t n) {
    if (c < 1) throw ReadFault("column " + std::to_string(c) + " is before the line");
    if (c > line.size()) return {};
    return line.substr(c - 1, n);
}

bool contains_keyword(std::string_view line, std::string_view keyword) {
    return contains_ignoring_case(line, keyword);
}

std::size_t keyword_column(std::string_view line, std::string_view keyword) {
    for (std::size_t at = 0; at + keyword.size() <= line.size(); ++at) {
        if (equal_ignoring_case(line.substr(at, keyword.size()), keyword)) return at + 1;
    }
    return 0;
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

std::string_view get_field_view(std::string_view text, std::string_view separator, int n) {
    std::string_view line = trim_blanks(text);
    if (separator.empty()) return line;
    const char sep = separator.front();
    std::size_t start = 0;
    std::size_t end = line.size();
    int count = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != sep) continue;
        // A run of blanks is one separator: the count moves at its first blank only.
        if (!(sep == ' ' && i > 0 && line[i - 1] == ' ')) ++count;
        if (count == n - 1) start = i + 1;
        if (count == n) end = i;
    }
    if (end < start) return line.substr(start);
    return line.substr(start, end - start);
}

std::string get_field(std::string_view text, std::string_view separator, int n) {
    return std::string(get_field_view(text, separator, n));
}

std::string num2month(int month) {
    static constexpr std::array<const char*, 12> names = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (month < 1 || month > 12) return {};
    return names[static_cast<std::size_t>(month - 1)];
}

}  // namespace sorvane
