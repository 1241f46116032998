#include "results/result_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace sorvane {
namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const auto begin = line.find_first_not_of(" \t\r", at);
        if (begin == std::string_view::npos) break;
        auto end = line.find_first_of(" \t\r", begin);
        if (end == std::string_view::npos) end = line.size();
        out.emplace_back(line.substr(begin, end - begin));
        at = end;
    }
    return out;
}

std::vector<double> numbers(std::string_view text) {
    std::vector<double> out;
    for (const auto& word : words(text)) {
        const auto value = parse_number(word);
        if (!value) break;
        out.push_back(*value);
    }
    return out;
}

std::optional<std::pair<std::string, std::string>> named_value(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::pair{std::string(trim(line.substr(0, equals))),
                     std::string(trim(line.substr(equals + 1)))};
}

// The legend of results written before the legend existed.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> older_legend{{
    {"M", "manual peak"},
    {"D", "member of a multiplet"},
    {"W", "width fixed to the calibration"},
    {"T", "tail fitted"},
}};

// Reads the sections it knows; every other line is skipped.
class Reader {
public:
    void line(std::string_view line) {
        const std::string_view text = trim(line);
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            section_ = std::string(text.substr(1, text.size() - 2));
            header_seen_ = false;
            return;
        }
        if (section_ == "spectrum") return pair_into(result_.spectrum, text);
        if (section_ == "calibration") return pair_into(result_.calibration, text);
        if (section_ == "options") return pair_into(result_.options, text);
        if (section_ == "messages") {
            if (!text.empty()) result_.messages.emplace_back(text);
            return;
        }
        if (text.empty()) return;
        if (section_ == "peaks") return peak_line(text);
        if (section_ == "flags") return legend_line(text);
        if (section_ == "regions") return region_line(text);
        if (section_ == "counts") return counts_line(text);
        if (section_ == "nuclides")
            return table_line(result_.nuclides, &result_.nuclide_keys, text);
        if (section_ == "nuclide lines") return table_line(result_.nuclide_lines, nullptr, text);
        if (section_ == "unexplained peaks")
            return table_line(result_.unexplained_peaks, nullptr, text);
        if (section_ == "activity budget")
            return table_line(result_.activity_budget, nullptr, text);
    }

    ResultFile finish() {
        if (result_.flag_legend.empty()) {
            for (const auto& [letter, meaning] : older_legend)
                result_.flag_legend.emplace_back(letter, meaning);
        }
        return std::move(result_);
    }

private:
    static void pair_into(NamedValues& values, std::string_view text) {
        if (auto pair = named_value(text)) values.push_back(std::move(*pair));
    }

    void peak_line(std::string_view text) {
        if (!header_seen_) {
            result_.peaks.columns = words(text);
            header_seen_ = true;
            return;
        }
        result_.peaks.rows.push_back(words(text));
    }

    // Key lines ("key = value") come before the header; table cells never hold "=".
    void table_line(ResultTable& table, NamedValues* keys, std::string_view text) {
        if (!header_seen_ && text.find('=') != std::string_view::npos) {
            if (keys != nullptr) pair_into(*keys, text);
            return;
        }
        if (!header_seen_) {
            table.columns = words(text);
            header_seen_ = true;
            return;
        }
        table.rows.push_back(words(text));
    }

    // "X = meaning", "X: meaning" or "X meaning".
    void legend_line(std::string_view text) {
        const auto end = text.find_first_of(" \t=:");
        if (end == std::string_view::npos) return;
        std::string_view meaning = trim(text.substr(end));
        if (!meaning.empty() && (meaning.front() == '=' || meaning.front() == ':'))
            meaning = trim(meaning.substr(1));
        result_.flag_legend.emplace_back(std::string(text.substr(0, end)), std::string(meaning));
    }

    // Regions beyond any spectrum, or with a width that is no width, are left out:
    // a damaged file must not make the view draw without end.
    void region_line(std::string_view text) {
        const auto pair = named_value(text);
        if (!pair) return;
        const std::vector<double> v = numbers(pair->second);
        if (pair->first == "region") {
            region_open_ = v.size() >= 5 && v[0] >= 0 && v[1] >= v[0] &&
                           v[1] < static_cast<double>(max_channels) &&
                           v[1] - v[0] <= max_region_width;
            if (!region_open_) return;
            analysis::RegionCurve curve;
            curve.first = static_cast<int>(v[0]);
            curve.last = static_cast<int>(v[1]);
            curve.level = v[2];
            curve.slope = v[3];
            curve.bkg_shape = v[4];
            result_.regions.push_back(curve);
        } else if (pair->first == "peak" && region_open_ && v.size() >= 6 && v[2] > 0 && v[5] > 0 &&
                   result_.regions.back().peaks.size() < max_region_peaks) {
            result_.regions.back().peaks.push_back({v[0], v[1], v[2], v[3], v[4], v[5]});
        }
    }

    // "first c c c ...": the counts of consecutive channels from `first` on.
    void counts_line(std::string_view text) {
        const std::vector<double> v = numbers(text);
        if (v.size() < 2 || v[0] < 0 || v[0] > max_channels) return;
        const auto first = static_cast<std::size_t>(v[0]);
        const std::size_t end = std::min(first + v.size() - 1, max_channels);
        if (result_.counts.size() < end) result_.counts.resize(end, 0.0);
        std::copy(v.begin() + 1, v.begin() + static_cast<std::ptrdiff_t>(end - first + 1),
                  result_.counts.begin() + static_cast<std::ptrdiff_t>(first));
        result_.has_counts = true;
    }

    // Far above any analyser (16,384 or 65,536 channels): a damaged file cannot
    // make the reader take all memory.
    static constexpr std::size_t max_channels = 1u << 20;
    static constexpr double max_region_width = 65536;
    static constexpr std::size_t max_region_peaks = 100;
    bool region_open_ = false;

    ResultFile result_;
    std::string section_;
    bool header_seen_ = false;
};

}  // namespace

std::optional<double> parse_number(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string value_of(const NamedValues& values, std::string_view name) {
    for (const auto& [key, value] : values)
        if (key == name) return value;
    return {};
}

std::optional<std::size_t> ResultTable::column(std::string_view name) const {
    const auto found = std::find(columns.begin(), columns.end(), name);
    if (found == columns.end()) return std::nullopt;
    return static_cast<std::size_t>(found - columns.begin());
}

std::string ResultTable::cell(std::size_t row, std::string_view name) const {
    const auto index = column(name);
    if (!index || row >= rows.size() || *index >= rows[row].size()) return {};
    return rows[row][*index];
}

std::optional<double> ResultTable::number(std::size_t row, std::string_view name) const {
    return parse_number(cell(row, name));
}

ResultFile read_result(std::string_view text) {
    Reader reader;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        reader.line(text.substr(at, end - at));
        at = end + 1;
    }
    return reader.finish();
}

std::optional<EnergyTerms> energy_terms(const ResultFile& result) {
    const std::vector<double> v = numbers(value_of(result.calibration, "energy"));
    if (v.size() < 2) return std::nullopt;
    const EnergyTerms terms{v[0], v[1], v.size() > 2 ? v[2] : 0.0};
    if (terms.c0 == 0.0 && terms.c1 == 1.0 && terms.c2 == 0.0) return std::nullopt;
    if (terms.c1 <= 0.0) return std::nullopt;  // energy must grow with the channel
    return terms;
}

std::optional<Recalibration> recalibration(const ResultFile& result) {
    const std::vector<double> c = numbers(value_of(result.calibration, "recalibrated_energy"));
    if (c.size() < 2) return std::nullopt;
    Recalibration out;
    out.terms = {c[0], c[1], c.size() > 2 ? c[2] : 0.0};
    const auto lines = parse_number(value_of(result.calibration, "recalibration_lines"));
    out.lines = lines ? static_cast<int>(*lines) : 0;
    out.rms_kev = parse_number(value_of(result.calibration, "recalibration_residual_rms_kev"));
    for (const auto& [key, value] : result.calibration) {
        if (key != "recalibration_residual") continue;
        const std::vector<double> v = numbers(value);
        if (v.size() >= 3) out.residuals.push_back({static_cast<int>(v[0]), v[1], v[2]});
    }
    return out;
}

std::string peak_nuclide(const ResultFile& result, std::size_t row) {
    std::string name = result.peaks.cell(row, "nuclide");
    return name == "-" ? std::string() : name;
}

std::string flags_in_words(const ResultFile& result, std::string_view letters) {
    std::string out;
    for (char letter : trim(letters)) {
        if (letter == '-') continue;
        std::string meaning(1, letter);
        for (const auto& [key, words] : result.flag_legend)
            if (key.size() == 1 && key[0] == letter && !words.empty()) meaning = words;
        if (!out.empty()) out += ", ";
        out += meaning;
    }
    return out;
}

}  // namespace sorvane
