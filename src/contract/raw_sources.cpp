#include "contract/raw_sources.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sorvane {
namespace {

bool writable(std::string_view field) {
    return field.find_first_of("\t\r\n") == std::string_view::npos;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string render_raw_sources(const std::vector<RawSource>& sources) {
    std::string text;
    for (const RawSource& s : sources) {
        if (s.base_name.empty() || !writable(s.base_name) || !writable(s.type_name) ||
            !writable(s.raw_path))
            continue;
        text += s.base_name + "\t" + std::to_string(s.type_code) + "\t" + s.type_name + "\t" +
                s.raw_path + "\r\n";
    }
    return text;
}

std::vector<RawSource> parse_raw_sources(std::string_view text) {
    std::vector<RawSource> sources;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::vector<std::string_view> fields;
        for (std::size_t from = 0; fields.size() < 3;) {
            const auto tab = line.find('\t', from);
            if (tab == std::string_view::npos) break;
            fields.push_back(line.substr(from, tab - from));
            from = tab + 1;
            if (fields.size() == 3) fields.push_back(line.substr(from));
        }
        if (fields.size() != 4 || fields[0].empty()) continue;
        RawSource source{std::string(fields[0]), 0, std::string(fields[2]), std::string(fields[3])};
        const auto [ptr, error] = std::from_chars(
            fields[1].data(), fields[1].data() + fields[1].size(), source.type_code);
        if (error != std::errc() || ptr != fields[1].data() + fields[1].size()) continue;
        sources.push_back(std::move(source));
    }
    return sources;
}

std::optional<RawSource> source_of(const std::vector<RawSource>& sources,
                                   std::string_view base_name) {
    for (const RawSource& source : sources)
        if (same_ignoring_case(source.base_name, base_name)) return source;
    return std::nullopt;
}

}  // namespace sorvane
