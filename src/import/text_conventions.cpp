#include "import/text_conventions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "import/read_fault.h"
#include "platform/dos_pattern.h"
#include "platform/text_helpers.h"

namespace sorvane {

TextLines::TextLines(std::string bytes) : bytes_(std::move(bytes)) {
    lines_.reserve(bytes_.size() / 32 + 1);  // the analysers' lines are rarely shorter
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

std::string_view get_field_view(std::string_view text, std::string_view separator, int n) {
    std::string_view line = trimmed(text, " ");
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
