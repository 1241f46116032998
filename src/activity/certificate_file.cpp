#include "activity/certificate_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "activity/decay.h"
#include "nuclides/line_library.h"

namespace sorvane::activity {
namespace {

struct UnitEntry {
    std::string_view name;  // the unit's first word, lower case
    double factor;          // to Bq or to photons per second
    CertifiedQuantity quantity;
};

// The units certificates give their values in.
constexpr std::array<UnitEntry, 10> units{{
    {"bq", 1.0, CertifiedQuantity::activity},
    {"kbq", 1e3, CertifiedQuantity::activity},
    {"mbq", 1e6, CertifiedQuantity::activity},
    {"gbq", 1e9, CertifiedQuantity::activity},
    {"dps", 1.0, CertifiedQuantity::activity},
    {"gamma/s", 1.0, CertifiedQuantity::photon_rate},
    {"gammas/s", 1.0, CertifiedQuantity::photon_rate},
    {"photons/s", 1.0, CertifiedQuantity::photon_rate},
    {"photon/s", 1.0, CertifiedQuantity::photon_rate},
    {"gps", 1.0, CertifiedQuantity::photon_rate},
}};

struct ConfidenceEntry {
    double percent;
    double k;
};

// Confidence levels stated without k, and the factor taken for each; 99 % as k = 3,
// as the 2002 IAEA intercomparison took it for its Analytics Inc. certificates.
constexpr std::array<ConfidenceEntry, 6> confidence_levels{{
    {68.0, 1.0},
    {68.3, 1.0},
    {95.0, 2.0},
    {95.45, 2.0},
    {99.0, 3.0},
    {99.73, 3.0},
}};

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// A whole field as a number, nothing otherwise.
std::optional<double> number(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The number at the start of `text` and how many characters it took.
std::optional<std::pair<double, std::size_t>> leading_number(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    return std::pair{value, static_cast<std::size_t>(end - text.data())};
}

const UnitEntry* unit_of(std::string_view text) {
    const std::string word = lower(trim(text.substr(0, text.find_first_of(" (\t"))));
    for (const UnitEntry& unit : units)
        if (unit.name == word) return &unit;
    return nullptr;
}

std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        auto end = text.find_first_of(" \t", start);
        if (end == std::string_view::npos) end = text.size();
        out.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return out;
}

// "2002-11-01 12:00 EST", "2001-05-01 12:00:00", "2002-11-01T12:00 GMT": the time as
// "YYYY-MM-DD HH:MM:SS" and the zone's word, or nothing.
std::optional<std::pair<std::string, std::string>> reference_time_of(std::string_view text) {
    std::string date_time(trim(text));
    if (date_time.size() > 10 && date_time[10] == 'T') date_time[10] = ' ';
    const std::vector<std::string> parts = words_of(date_time);
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    std::string time = parts[1];
    if (time.size() == 5) time += ":00";
    std::string joined = parts[0] + " " + time;
    if (!seconds_of_date(joined)) return std::nullopt;
    return std::pair{joined, parts.size() == 3 ? parts[2] : std::string()};
}

std::string percent_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2g", value);
    return text;
}

std::string at_line(const std::string& file_name, int line) {
    return file_name + " line " + std::to_string(line) + ": ";
}

// The column indices of the header, by lower-case name.
using Columns = std::map<std::string, std::size_t>;

std::string field(const std::vector<std::string>& fields, const Columns& columns,
                  const std::string& name) {
    const auto found = columns.find(name);
    return found == columns.end() || found->second >= fields.size()
               ? std::string()
               : std::string(trim(fields[found->second]));
}

// The row converted, or its problem (without the file and line).
std::string convert_row(const std::vector<std::string>& fields, const Columns& columns,
                        CertifiedValue& out) {
    out.source = field(fields, columns, "source");
    out.spectra = words_of(field(fields, columns, "spectra"));
    out.nuclide = field(fields, columns, "nuclide");
    if (out.nuclide.empty()) return "no nuclide";
    const std::string value_text = field(fields, columns, "value");
    const auto value = number(value_text);
    if (!value || !(*value > 0.0))
        return "the value \"" + value_text + "\" is not a positive number";
    const std::string unit_text = field(fields, columns, "unit");
    const UnitEntry* unit = unit_of(unit_text);
    if (!unit) return "the unit \"" + unit_text + "\" is not Bq, kBq, MBq, GBq, dps or gamma/s";
    out.quantity = unit->quantity;
    out.value = *value * unit->factor;
    const std::string energy_text = field(fields, columns, "energy_kev");
    if (!energy_text.empty()) {
        const auto energy = number(energy_text);
        if (!energy || !(*energy > 0.0))
            return "the energy \"" + energy_text + "\" is not a positive number of keV";
        out.energy_kev = *energy;
    }
    if (out.quantity == CertifiedQuantity::photon_rate && !out.energy_kev)
        return "a photon rate needs the energy of its line (column energy_keV)";

    const std::string u_text = field(fields, columns, "uncertainty");
    const std::string u_unit = field(fields, columns, "uncertainty_unit");
    const std::string kind = field(fields, columns, "uncertainty_kind");
    const std::string coverage = field(fields, columns, "coverage");
    if (u_text.empty()) return "no uncertainty";
    const auto stated = number(u_text);
    if (!stated || !(*stated >= 0.0))
        return "the uncertainty \"" + u_text + "\" is not a number, 0 or more";
    double relative = 0.0;
    if (u_unit == "%") {
        relative = *stated / 100.0;
    } else {
        const UnitEntry* own = u_unit.empty() ? unit : unit_of(u_unit);
        if (!own || own->quantity != unit->quantity)
            return "the uncertainty's unit \"" + u_unit + "\" is neither % nor one of the value's";
        relative = *stated * own->factor / out.value;
    }
    const auto k = coverage_factor_of(kind, coverage);
    if (!k)
        return "an expanded uncertainty (\"" + kind +
               "\") without a coverage factor or confidence level";
    out.coverage_factor = k->k;
    out.standard_uncertainty = out.value * relative / k->k;
    out.taken = u_text + " " + (u_unit.empty() ? unit_text : u_unit) +
                (kind.empty() ? "" : " " + kind) + ", " + k->reason + ": standard uncertainty " +
                percent_text(100.0 * relative / k->k) + " %";

    const std::string time_text = field(fields, columns, "reference_datetime");
    const auto time = reference_time_of(time_text);
    if (!time)
        return "the reference time \"" + time_text + "\" is not YYYY-MM-DD HH:MM[:SS] [ZONE]";
    out.reference_time = time->first;
    out.time_zone = time->second;
    return {};
}

}  // namespace

std::optional<CoverageFactor> coverage_factor_of(std::string_view kind, std::string_view coverage) {
    const std::string words = lower(coverage);
    // A stated k: "k=2", "k = 2" (not "k not stated").
    for (std::size_t at = words.find('k'); at != std::string::npos; at = words.find('k', at + 1)) {
        if (at > 0 && words[at - 1] >= 'a' && words[at - 1] <= 'z') continue;
        std::string_view rest = std::string_view(words).substr(at + 1);
        rest = trim(rest);
        if (rest.empty() || rest.front() != '=') continue;
        rest = trim(rest.substr(1));
        const auto k = leading_number(rest);
        if (k && k->first >= 1.0)
            return CoverageFactor{k->first, "k = " + percent_text(k->first) + " stated"};
    }
    // A confidence level: "99 % confidence", "95% confidence level".
    for (std::size_t at = words.find('%'); at != std::string::npos; at = words.find('%', at + 1)) {
        std::size_t start = at;
        while (start > 0 && words[start - 1] == ' ') --start;
        std::size_t digits = start;
        while (digits > 0 &&
               ((words[digits - 1] >= '0' && words[digits - 1] <= '9') || words[digits - 1] == '.'))
            --digits;
        const auto level = number(std::string_view(words).substr(digits, start - digits));
        if (!level) continue;
        for (const ConfidenceEntry& entry : confidence_levels)
            if (std::abs(entry.percent - *level) < 1e-9)
                return CoverageFactor{entry.k, percent_text(*level) +
                                                   " % confidence without k: k = " +
                                                   percent_text(entry.k) + " taken"};
    }
    if (lower(kind).find("expanded") != std::string::npos) return std::nullopt;
    return CoverageFactor{1.0, "taken as a standard uncertainty (k = 1)"};
}

CertificateRead parse_certificate_file(std::string_view text, const std::string& file_name) {
    CertificateRead read;
    read.file_name = file_name;
    Columns columns;
    int line = 0;
    std::size_t at = 0;
    bool header = true;
    while (at < text.size()) {
        // A record ends at a line end outside quotes.
        std::size_t end = at;
        bool quoted = false;
        int lines = 1;
        for (; end < text.size(); ++end) {
            if (text[end] == '"') quoted = !quoted;
            if (text[end] == '\n') {
                if (!quoted) break;
                ++lines;
            }
        }
        const std::string_view record = trim(text.substr(at, end - at));
        const int record_line = line + 1;
        line += lines;
        at = end + 1;
        if (record.empty() || record.front() == '#') continue;
        const auto fields = nuclides::csv_fields(record);
        if (header) {
            if (!fields) {
                read.problem = at_line(file_name, record_line) + "a quote is not closed";
                return read;
            }
            for (std::size_t i = 0; i < fields->size(); ++i) columns[lower(trim((*fields)[i]))] = i;
            for (const char* needed : {"nuclide", "value", "unit", "reference_datetime"})
                if (!columns.count(needed)) {
                    read.problem = file_name + ": no column \"" + needed +
                                   "\" in the header line; nothing read";
                    return read;
                }
            header = false;
            continue;
        }
        CertifiedValue value;
        value.line = record_line;
        std::string problem = !fields ? "a quote is not closed"
                              : fields->size() != columns.size()
                                  ? std::to_string(fields->size()) +
                                        " fields where the header has " +
                                        std::to_string(columns.size())
                                  : convert_row(*fields, columns, value);
        if (!problem.empty()) value.problem = at_line(file_name, record_line) + problem;
        read.values.push_back(std::move(value));
    }
    if (header) read.problem = file_name + ": no header line; nothing read";
    return read;
}

CertificateChoice choose_certificate(const CertificateRead& read, const std::string& spectrum,
                                     const std::string& source) {
    CertificateChoice choice;
    if (!read.problem.empty()) {
        choice.problem = read.problem;
        return choice;
    }
    const bool any_spectra =
        std::any_of(read.values.begin(), read.values.end(),
                    [](const CertifiedValue& v) { return !v.spectra.empty(); });
    const std::string wanted = lower(spectrum);
    for (const CertifiedValue& value : read.values) {
        bool chosen = !source.empty() ? lower(value.source) == lower(source) : !any_spectra;
        if (source.empty())
            for (const std::string& name : value.spectra) chosen = chosen || lower(name) == wanted;
        if (!chosen) continue;
        if (!value.problem.empty()) {
            choice.problem = value.problem;
            return choice;
        }
        for (const CertifiedValue& earlier : choice.values)
            if (earlier.nuclide == value.nuclide &&
                (!earlier.energy_kev || !value.energy_kev ||
                 std::abs(*earlier.energy_kev - *value.energy_kev) < 1e-9)) {
                choice.problem = at_line(read.file_name, value.line) + value.nuclide +
                                 " is certified twice (also line " + std::to_string(earlier.line) +
                                 ")";
                return choice;
            }
        choice.values.push_back(value);
    }
    if (choice.values.empty())
        choice.problem =
            read.file_name +
            (source.empty() ? ": no row names the spectrum \"" + spectrum + "\" in its spectra"
                            : ": no row is of source \"" + source + "\"");
    return choice;
}

}  // namespace sorvane::activity
