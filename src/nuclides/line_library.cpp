#include "line_library.h"
#include "platform/text_helpers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace sorvane::nuclides {
namespace {

constexpr double seconds_per_day = 86400.0;

struct UnitSeconds {
    std::string_view unit;
    double seconds;
};

// The evaluations count a year as 365.2422 days.
constexpr std::array<UnitSeconds, 5> half_life_units{{{"y", 365.2422 * seconds_per_day},
                                                      {"d", seconds_per_day},
                                                      {"h", 3600.0},
                                                      {"m", 60.0},
                                                      {"s", 1.0}}};

std::optional<double> number(std::string_view text) {
    text = trimmed(text, " \t\r\n");
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The rows of a CSV text with their line numbers; the header names its columns.
class CsvTable {
public:
    CsvTable(std::string_view text, const std::string& path, std::vector<std::string>& problems)
        : path_(path), problems_(problems) {
        std::size_t at = 0, line = 0;
        while (at < text.size()) {
            auto end = text.find('\n', at);
            if (end == std::string_view::npos) end = text.size();
            ++line;
            const std::string_view record = trimmed(text.substr(at, end - at), " \t\r\n");
            at = end + 1;
            if (record.empty() || record.front() == '#') continue;
            auto fields = csv_fields(record);
            if (!fields) {
                problem(line, "a quote is not closed");
                continue;
            }
            for (auto& field : *fields) field = std::string(trimmed(field, " \t\r\n"));
            if (header_.empty())
                header_ = std::move(*fields);
            else if (fields->size() != header_.size())
                problem(line, std::to_string(fields->size()) + " fields where the header has " +
                                  std::to_string(header_.size()));
            else
                rows_.push_back({line, std::move(*fields)});
        }
    }

    // The index of each named column; a problem and nothing when one is missing.
    template <std::size_t N>
    std::optional<std::array<std::size_t, N>> columns(
        const std::array<std::string_view, N>& names) {
        std::array<std::size_t, N> index{};
        for (std::size_t i = 0; i < N; ++i) {
            const auto found = std::find(header_.begin(), header_.end(), names[i]);
            if (found == header_.end()) {
                problems_.push_back(path_ + ": no column \"" + std::string(names[i]) +
                                    "\" in the header line; nothing read");
                return std::nullopt;
            }
            index[i] = static_cast<std::size_t>(found - header_.begin());
        }
        return index;
    }

    struct Row {
        std::size_t line;
        std::vector<std::string> fields;
    };
    // The rows with as many fields as the header; the others were named and skipped.
    const std::vector<Row>& rows() const { return rows_; }

    void problem(std::size_t line, const std::string& why) {
        problems_.push_back(path_ + " line " + std::to_string(line) + ": " + why +
                            "; the row is skipped");
    }

private:
    std::string path_;
    std::vector<std::string>& problems_;
    std::vector<std::string> header_;
    std::vector<Row> rows_;
};

// "CHAIN MEMBER - Ra-226 / U-238 series" or "Chain head of the U-238 series": the
// series named in a note, and the nuclide a member note names before the slash.
struct ChainNote {
    std::string series;
    std::string also_member;
};

ChainNote chain_of(std::string_view note) {
    ChainNote chain;
    const auto series_at = note.find(" series");
    if (series_at == std::string_view::npos) return chain;
    const bool member = note.starts_with("CHAIN MEMBER - ");
    if (!member && !note.starts_with("Chain head of the ")) return chain;
    const auto name_at = note.rfind(' ', series_at - 1) + 1;
    chain.series = std::string(note.substr(name_at, series_at - name_at)) + " series";
    const auto slash = note.find(" / ");
    if (member && slash != std::string_view::npos && slash < series_at)
        chain.also_member = std::string(trimmed(note.substr(15, slash - 15), " \t\r\n"));
    return chain;
}

// "BRANCHING: Tl-208 is fed only by the 35.93 % alpha branch of Bi-212": the parent
// and the fraction of its decays that feed this nuclide.
void read_branching(NuclideFacts& facts) {
    const std::string_view note = facts.note;
    const auto at = note.find("BRANCHING:");
    if (at == std::string_view::npos) return;
    const auto fed = note.find("fed only by the ", at);
    const auto percent = note.find(" %", fed);
    const auto of = note.find(" of ", percent);
    if (fed == std::string_view::npos || percent == std::string_view::npos ||
        of == std::string_view::npos)
        return;
    const auto value = number(note.substr(fed + 16, percent - fed - 16));
    const auto name_end = note.find_first_of(" ,;", of + 4);
    if (!value) return;
    facts.fed_fraction = *value / 100.0;
    facts.fed_by = std::string(note.substr(of + 4, name_end - of - 4));
}

}  // namespace

bool LineLibrary::special(std::string_view name) const {
    const NuclideFacts* listed = facts(name);
    return listed && listed->half_life_unit.empty();
}

double NuclideFacts::half_life_seconds() const {
    for (const auto& unit : half_life_units)
        if (unit.unit == half_life_unit) return half_life * unit.seconds;
    return 0.0;
}

const NuclideFacts* LineLibrary::facts(std::string_view name) const {
    const auto found = std::find_if(nuclides.begin(), nuclides.end(),
                                    [&](const NuclideFacts& n) { return n.name == name; });
    return found == nuclides.end() ? nullptr : &*found;
}

std::vector<const GammaLine*> LineLibrary::lines_of(std::string_view name) const {
    std::vector<const GammaLine*> out;
    for (const auto& line : lines)
        if (line.nuclide == name) out.push_back(&line);
    return out;
}

std::optional<std::vector<std::string>> csv_fields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) return std::nullopt;
    return fields;
}

LibraryIdentity add_gamma_lines(LineLibrary& library, std::string_view text,
                                const std::string& path) {
    CsvTable table(text, path, library.problems);
    const auto columns = table.columns<6>({"nuclide", "energy_keV", "energy_uncertainty_keV",
                                           "emission_probability_percent",
                                           "probability_uncertainty_percent", "source_key"});
    LibraryIdentity identity;
    identity.path = path;
    if (!columns) return identity;
    std::vector<std::string> names;
    const auto [name_at, energy_at, d_energy_at, probability_at, d_probability_at, source_at] =
        *columns;
    for (const auto& row : table.rows()) {
        const auto& f = row.fields;
        GammaLine line;
        line.nuclide = f[name_at];
        line.source = f[source_at];
        const bool annihilation = line.nuclide == annihilation_name;
        const auto energy = number(f[energy_at]);
        // An empty uncertainty is one the source does not give (xraylib's X-rays): 0.
        const auto d_energy = f[d_energy_at].empty() ? 0.0 : number(f[d_energy_at]);
        const auto probability = number(f[probability_at]);
        const auto d_probability = f[d_probability_at].empty() ? 0.0 : number(f[d_probability_at]);
        if (line.nuclide.empty() || line.nuclide.find(' ') != std::string::npos) {
            table.problem(row.line, "the nuclide name is empty or holds a blank");
            continue;
        }
        if (!energy || *energy <= 0.0 || !d_energy || *d_energy < 0.0) {
            table.problem(row.line, "the energy or its uncertainty is not a positive number");
            continue;
        }
        // The annihilation entry has no probability of its own; every other line must.
        if (!annihilation && (!probability || *probability <= 0.0 || *probability > 200.0 ||
                              !d_probability || *d_probability < 0.0)) {
            table.problem(row.line,
                          "the emission probability or its uncertainty is not a number from 0 "
                          "to 200 %");
            continue;
        }
        line.energy = *energy;
        line.d_energy = *d_energy;
        line.probability = annihilation ? 0.0 : *probability;
        line.d_probability = annihilation ? 0.0 : *d_probability;
        const auto same =
            std::find_if(library.lines.begin(), library.lines.end(), [&](const GammaLine& held) {
                return held.nuclide == line.nuclide && std::fabs(held.energy - line.energy) < 1e-3;
            });
        if (same != library.lines.end())
            *same = line;
        else
            library.lines.push_back(line);
        // The annihilation entry is no nuclide: it is not counted as one.
        if (!annihilation && std::find(names.begin(), names.end(), line.nuclide) == names.end())
            names.push_back(line.nuclide);
        ++identity.lines;
    }
    std::stable_sort(library.lines.begin(), library.lines.end(),
                     [](const GammaLine& a, const GammaLine& b) { return a.energy < b.energy; });
    identity.nuclides = names.size();
    identity.names = std::move(names);
    return identity;
}

std::size_t add_nuclide_facts(LineLibrary& library, std::string_view text,
                              const std::string& path) {
    CsvTable table(text, path, library.problems);
    const auto columns = table.columns<5>(
        {"nuclide", "half_life", "half_life_unit", "half_life_uncertainty", "note"});
    if (!columns) return 0;
    const auto [name_at, half_life_at, unit_at, d_half_life_at, note_at] = *columns;
    std::size_t read = 0;
    std::vector<ChainNote> upper_members;
    for (const auto& row : table.rows()) {
        const auto& f = row.fields;
        NuclideFacts facts;
        facts.name = f[name_at];
        facts.note = f[note_at];
        if (facts.name.empty() || facts.name.find(' ') != std::string::npos) {
            table.problem(row.line, "the nuclide name is empty or holds a blank");
            continue;
        }
        // A special entry (the annihilation line) has no half-life: all three empty.
        const bool timeless = f[half_life_at].empty() && f[unit_at].empty();
        const auto half_life = number(f[half_life_at]);
        const auto d_half_life = number(f[d_half_life_at]);
        const bool known_unit =
            std::any_of(half_life_units.begin(), half_life_units.end(),
                        [&unit = f[unit_at]](const UnitSeconds& u) { return u.unit == unit; });
        if (!timeless &&
            (!half_life || *half_life <= 0.0 || !known_unit || !d_half_life || *d_half_life < 0)) {
            table.problem(row.line,
                          "the half-life, its unit (y, d, h, m, s) or its uncertainty cannot be "
                          "read");
            continue;
        }
        if (!timeless) {
            facts.half_life = *half_life;
            facts.half_life_unit = f[unit_at];
            facts.d_half_life = *d_half_life;
        }
        const ChainNote chain = chain_of(facts.note);
        facts.chain = chain.series;
        read_branching(facts);
        const auto same =
            std::find_if(library.nuclides.begin(), library.nuclides.end(),
                         [&](const NuclideFacts& held) { return held.name == facts.name; });
        if (same != library.nuclides.end())
            *same = std::move(facts);
        else
            library.nuclides.push_back(std::move(facts));
        if (!chain.also_member.empty()) upper_members.push_back(chain);
        ++read;
    }
    // A member note may name the series' upper member (Ra-226 of the U-238 series).
    for (const auto& chain : upper_members)
        for (auto& held : library.nuclides)
            if (held.name == chain.also_member && held.chain.empty()) held.chain = chain.series;
    return read;
}

}  // namespace sorvane::nuclides
