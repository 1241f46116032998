#include "platform/dos_pattern.h"

#include <algorithm>

namespace sorvane {
namespace {

// ASCII letters only, whatever the locale: names and keywords compare the same on
// every machine (and a per-character library call is the readers' hot spot).
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool wildcard_match(std::string_view name, std::string_view pattern) {
    // Iterative matching with one back-tracking point for the last "*".
    std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool matches_dos_pattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*" || pattern == "*") return true;
    // DOS lets "x.*" match a name without any dot too.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return wildcard_match(name, pattern.substr(0, pattern.size() - 2));
    }
    return wildcard_match(name, pattern);
}

bool matches_any_dos_pattern(std::string_view name, std::string_view patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string_view::npos) end = patterns.size();
        std::string_view one = patterns.substr(start, end - start);
        if (!one.empty() && matches_dos_pattern(name, one)) return true;
        start = end + 1;
    }
    return false;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool less_ignoring_case(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

bool contains_ignoring_case(std::string_view text, std::string_view part) {
    if (part.empty()) return true;
    const char first = lower(part.front());
    const std::string_view rest = part.substr(1);
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (lower(text[at]) == first && equal_ignoring_case(text.substr(at + 1, rest.size()), rest))
            return true;
    }
    return false;
}

}  // namespace sorvane
