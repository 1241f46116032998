#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/readers.h"
#include "import/record_fields.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

constexpr std::size_t max_energy_rows = 33;
constexpr CountColumns count_columns{1, 5, 6, 10};

// One calibration point of the "#Energy" block: energy, centroid channel and
// the centroid's uncertainty.
struct EnergyRow {
    double e = 0.0;
    double c = 0.0;
    double u = 0.0;
};

// Arithmetic of the calibration fit: a division by zero, an overflow or an
// invalid operation (NaN) is a fault of the read, never a silent infinity.
double checked(double value, const char* what) {
    if (!std::isfinite(value)) throw ReadFault(std::string("energy calibration fit: ") + what);
    return value;
}

double divided(double numerator, double denominator, const char* what) {
    if (denominator == 0.0) {
        throw ReadFault(std::string("energy calibration fit: division by zero in ") + what);
    }
    return checked(numerator / denominator, what);
}

using Matrix3 = std::array<std::array<double, 3>, 3>;

// In-place inversion by Gauss-Jordan elimination, pivots taken down the diagonal
// without row exchanges.
void invert_in_place(Matrix3& m) {
    for (std::size_t p = 0; p < 3; ++p) {
        const double pivot = m[p][p];
        if (pivot == 0.0) {
            throw ReadFault("energy calibration fit: the normal equations are singular");
        }
        for (std::size_t j = 0; j < 3; ++j) {
            if (j != p) m[p][j] = divided(m[p][j], pivot, "the pivot row");
        }
        m[p][p] = divided(1.0, pivot, "the pivot");
        for (std::size_t i = 0; i < 3; ++i) {
            if (i == p) continue;
            const double factor = m[i][p];
            for (std::size_t j = 0; j < 3; ++j) {
                if (j != p) m[i][j] = checked(m[i][j] - m[p][j] * factor, "elimination");
            }
            m[i][p] = checked(-factor / pivot, "elimination");
        }
    }
}

// Weighted least-squares fit of channel = a2 e^2 + a1 e + a0 over the rows of
// positive energy, with standard errors. The coefficients are not stored: a
// calibration that cannot be fitted marks a message that is not a usable spectrum.
void fit_energy_table(const std::vector<EnergyRow>& rows) {
    double s4 = 0, s3 = 0, s2 = 0, s1 = 0, s0 = 0, t2 = 0, t1 = 0, t0 = 0;
    std::size_t used = 0;
    for (const EnergyRow& row : rows) {
        if (row.e <= 0.0) continue;
        const double ratio = divided(row.c, row.u, "a weight");
        const double w = checked(ratio * ratio, "a weight");
        if (w == 0.0) throw ReadFault("energy calibration fit: a calibration point has channel 0");
        const double e = row.e;
        s4 = checked(s4 + w * e * e * e * e, "the sums");
        s3 = checked(s3 + w * e * e * e, "the sums");
        s2 = checked(s2 + w * e * e, "the sums");
        s1 = checked(s1 + w * e, "the sums");
        s0 = checked(s0 + w, "the sums");
        t2 = checked(t2 + w * e * e * row.c, "the sums");
        t1 = checked(t1 + w * e * row.c, "the sums");
        t0 = checked(t0 + w * row.c, "the sums");
        ++used;
    }
    // Three points leave no degree of freedom for the errors, fewer do not fix a parabola.
    if (used < 4) {
        throw ReadFault("energy calibration fit: " + std::to_string(used) +
                        " usable calibration points, at least 4 are needed");
    }

    Matrix3 inverse = {{{s4, s3, s2}, {s3, s2, s1}, {s2, s1, s0}}};
    invert_in_place(inverse);
    const std::array<double, 3> rhs = {t2, t1, t0};
    std::array<double, 3> a{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            a[i] = checked(a[i] + inverse[i][j] * rhs[j], "the coefficients");
        }
    }

    double chi2 = 0.0;
    for (const EnergyRow& row : rows) {
        if (row.e <= 0.0) continue;
        const double ratio = row.c / row.u;
        const double residual =
            checked(a[0] * row.e * row.e + a[1] * row.e + a[2] - row.c, "chi-square");
        chi2 = checked(chi2 + ratio * ratio * residual * residual, "chi-square");
    }
    const double freedom = static_cast<double>(used) - 3.0;
    for (std::size_t i = 0; i < 3; ++i) {
        const double variance =
            divided(checked(inverse[i][i] * chi2, "a standard error"), freedom, "a standard error");
        if (variance < 0.0) {
            throw ReadFault("energy calibration fit: square root of a negative variance");
        }
        checked(std::sqrt(variance), "a standard error");
    }
}

// Where the items stand: d is the column at which the item's keyword starts.
constexpr std::size_t channel_count_width = 5;
constexpr std::size_t real_time_offset = 26;
constexpr std::size_t live_time_offset = 41;
constexpr std::size_t time_width = 10;

// The line after the first line holding the keyword, with the keyword's column;
// nothing when no line holds it. Past the end of the file is a fault.
struct KeywordLine {
    std::size_t column;
    std::string_view next;
};

std::optional<KeywordLine> line_after(TextLines& lines, std::string_view keyword) {
    std::optional<std::string_view> found = lines.find_from_top(keyword);
    if (!found) return std::nullopt;
    return KeywordLine{keyword_column(*found, keyword), lines.read_line()};
}

// The channel count's five columns; a number whose digits run on past them is
// read to its end ("  4096" under a keyword at column 1 is 4096, not 409).
std::string_view channel_count_text(std::string_view line, std::size_t d) {
    std::string_view field = columns(line, d, channel_count_width);
    std::size_t end = d - 1 + field.size();
    if (!field.empty() && field.back() != ' ') {
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    }
    return field.empty() ? field : line.substr(d - 1, end - (d - 1));
}

bool is_digits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool is_calendar_date(int day, int month, int year) {
    static constexpr std::array<int, 12> days = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && !leap) return day <= 28;
    return day <= days[static_cast<std::size_t>(month - 1)];
}

// "2001/05/14" as "14May011"; anything that is no year/month/day date is a fault.
std::string start_date_of(std::string_view text) {
    std::array<std::string_view, 3> parts;
    std::string_view rest = trimmed(text, " ");
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t slash = i + 1 < parts.size() ? rest.find('/') : std::string_view::npos;
        parts[i] = trimmed(rest.substr(0, slash), " ");
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    }
    const bool shaped = parts[0].size() == 4 && is_digits(parts[0]) && parts[1].size() <= 2 &&
                        is_digits(parts[1]) && parts[2].size() <= 2 && is_digits(parts[2]);
    if (shaped) {
        const int year = static_cast<int>(number_value(parts[0]));
        const int month = static_cast<int>(number_value(parts[1]));
        const int day = static_cast<int>(number_value(parts[2]));
        if (is_calendar_date(day, month, year)) return chn_date_text(day, month, year);
    }
    throw ReadFault("start date \"" + std::string(text) + "\" is no year/month/day date");
}

std::vector<EnergyRow> read_energy_rows(TextLines& lines) {
    std::vector<EnergyRow> rows;
    while (!lines.at_end()) {
        const std::string_view line = lines.read_line();
        if (contains_keyword(line, "#")) break;
        if (rows.size() == max_energy_rows) {
            throw ReadFault("more than " + std::to_string(max_energy_rows) +
                            " energy calibration rows");
        }
        rows.push_back({number_value(columns(line, 9, 7)), number_value(columns(line, 26, 7)),
                        number_value(columns(line, 43, 7))});
    }
    return rows;
}

// Lines of a channel number and five counts, until num_channels lines or "STOP".
void read_counts(TextLines& lines, Spectrum& spectrum) {
    const int line_limit = spectrum.chn_header.num_channels;
    for (int line_number = 0; line_number < line_limit; ++line_number) {
        const std::string_view line = lines.read_line();
        if (contains_keyword(line, "STOP")) break;
        store_count_line(line, count_columns, spectrum);
    }
}

}  // namespace

ReadOutcome read_rms(ReaderContext& context) {
    Spectrum& spectrum = context.spectrum;
    ChnHeader& header = spectrum.chn_header;
    TextLines lines = read_input_lines(context);

    if (!lines.find_from_top("BEGIN RMS2.0")) {
        return ReadOutcome::failed("no \"BEGIN RMS2.0\" line");
    }

    std::optional<KeywordLine> spectrum_line = line_after(lines, "#Spectrum");
    if (!spectrum_line) return ReadOutcome::failed("no \"#Spectrum\" line");
    header.num_channels = round_to_int16(
        number_value(channel_count_text(spectrum_line->next, spectrum_line->column)));

    std::optional<KeywordLine> acquisition = line_after(lines, "#Acquisition");
    if (!acquisition) return ReadOutcome::failed("no \"#Acquisition\" line");
    const std::size_t d = acquisition->column;
    header.live_time = ticks_of_seconds(
        number_value(columns(acquisition->next, d + live_time_offset, time_width)));
    header.real_time = ticks_of_seconds(
        number_value(columns(acquisition->next, d + real_time_offset, time_width)));

    std::optional<std::string_view> message_type = lines.find_from_top("MSG_TYPE");
    if (!message_type) return ReadOutcome::failed("no \"MSG_TYPE\" line");
    set_sample_description(spectrum, *message_type);

    const std::string_view start = acquisition->next;
    assign_text(header.start_date, start_date_of(columns(start, 1, 10)));
    set_start_time(spectrum, std::string(columns(start, 12, 2)) +
                                 std::string(columns(start, 15, 2)) +
                                 std::string(columns(start, 18, 2)));

    if (!lines.find_from_top("#Energy")) return ReadOutcome::failed("no \"#Energy\" line");
    fit_energy_table(read_energy_rows(lines));

    if (header.num_channels == 0) return ReadOutcome::failed("the channel count is 0");
    // A negative count would "read" a file of no channels at all.
    if (header.num_channels < 0) {
        return ReadOutcome::failed("the channel count " + std::to_string(header.num_channels) +
                                   " is negative");
    }

    // The counts start on the second line after "#Spectrum".
    line_after(lines, "#Spectrum");
    read_counts(lines, spectrum);
    return ReadOutcome::read();
}

}  // namespace sorvane
