#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "import/readers.h"
#include "import/record_fields.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

constexpr std::string_view record_mark = "A004";
constexpr int skipped_header_lines = 54;
constexpr CountColumns count_columns{5, 6, 12, 9};

// The next line, which must carry the record mark like every header line.
std::optional<std::string> next_header_line(TextLines& lines) {
    std::string line(lines.read_line());
    if (!contains_keyword(line, record_mark)) return std::nullopt;
    return line;
}

void read_times_and_length(std::string_view line, ChnHeader& header) {
    header.live_time = ticks_of_seconds(number_value(get_field(line, " ", 2)));
    header.real_time = ticks_of_seconds(number_value(get_field(line, " ", 3)));
    header.num_channels = round_to_int16(number_value(get_field(line, " ", 4)));
}

bool is_calendar_date(int day, int month, int year) {
    static constexpr std::array<int, 12> days = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && !leap) return day <= 28;
    return day <= days[static_cast<std::size_t>(month - 1)];
}

// A part of the built date: digits, blanks around them allowed; -1 when not.
int date_part(std::string_view text) {
    text = trimmed(text, " ");
    if (text.empty()) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "15/10/98", "15.10.98" or "09/12/21": day/month/year as the format writes it,
// month/day/year when only that reading is a date (some analysers write it so).
// The two-digit year above 80 is 19xx, otherwise 20xx.
std::string start_date_of(std::string_view date) {
    std::string text(columns(date, 1, 6));
    text.resize(6, '0');
    text[2] = '/';
    text[5] = '/';
    const std::string_view year_digits = columns(date, 7, 2);
    const bool nineteen = number_value(year_digits) > 80;
    text += std::string(nineteen ? "19" : "20") + std::string(year_digits);

    const int first = date_part(std::string_view(text).substr(0, 2));
    const int second = date_part(std::string_view(text).substr(3, 2));
    const int year = year_digits.size() == 2 ? date_part(std::string_view(text).substr(6)) : -1;
    if (year >= 0) {
        if (is_calendar_date(first, second, year)) return chn_date_text(first, second, year);
        if (is_calendar_date(second, first, year)) return chn_date_text(second, first, year);
    }
    throw ReadFault("start date \"" + text + "\" is no date");
}

// "13:26:07" as "132607".
std::string start_time_of(std::string_view time) {
    return std::string(columns(time, 1, 2)) + std::string(columns(time, 4, 2)) +
           std::string(columns(time, 7, 2));
}

void read_start(std::string_view line, Spectrum& spectrum) {
    const std::string_view rest = columns(line, 5, 99);
    assign_text(spectrum.chn_header.start_date, start_date_of(get_field(rest, " ", 1)));
    set_start_time(spectrum, start_time_of(get_field(rest, " ", 2)));
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The first four numbers after the mark. Analysers write the coefficients in
// fixed-width fields with no blank before a minus sign ("-1.5E-02 8.0E-01-2.9E-08"),
// so a sign right after a digit starts the next number.
std::array<double, 4> calibration_numbers(std::string_view line) {
    std::string_view text = line.substr(keyword_column(line, record_mark) - 1 + record_mark.size());
    std::array<double, 4> numbers{};
    std::size_t found = 0;
    std::size_t at = 0;
    while (found < numbers.size() && at < text.size()) {
        if (text[at] == ' ' || text[at] == '\t') {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' &&
               !((text[end] == '-' || text[end] == '+') && is_digit(text[end - 1]))) {
            ++end;
        }
        numbers[found++] = number_value(text.substr(at, end - at));
        at = end;
    }
    return numbers;
}

float as_float(double value) {
    const float single = static_cast<float>(value);
    if (!std::isfinite(single))
        throw ReadFault("calibration value " + std::to_string(value) + " is too large");
    return single;
}

void read_calibration(std::string_view line, ChnTrailer& trailer) {
    const std::array<double, 4> numbers = calibration_numbers(line);
    trailer.ecal_c0 = as_float(numbers[0]);
    trailer.ecal_c1 = as_float(numbers[1]);
    trailer.ecal_c2 = as_float(numbers[2]);
    trailer.ecal_c3 = as_float(numbers[3]);
    // A calibration line of zeros means the analyser had none: channel numbers stand.
    if (trailer.ecal_c1 + trailer.ecal_c0 + trailer.ecal_c2 + trailer.ecal_c3 < 0.0001) {
        trailer.ecal_c1 = 1.0f;
        trailer.ecal_c0 = 0.0f;
        trailer.ecal_c2 = 0.0f;
    }
}

// A line with no digit from column 5 on holds neither a channel nor a count;
// taken as data it would only overwrite channels 0 to 4 with zeros.
bool holds_no_data(std::string_view line) {
    std::string_view rest = columns(line, 5, line.size());
    for (char c : rest) {
        if (is_digit(c)) return false;
    }
    return true;
}

// Data lines to the end of the file: a channel number and five counts; counts
// past the spectrum's last channel on its last line are left out.
void read_counts(TextLines& lines, Spectrum& spectrum) {
    const std::int64_t length = spectrum.chn_header.num_channels;
    while (!lines.at_end()) {
        const std::string_view line = lines.read_line();
        if (holds_no_data(line)) continue;
        store_count_line(line, count_columns, spectrum, length);
    }
}

}  // namespace

ReadOutcome read_iec(ReaderContext& context) {
    Spectrum& spectrum = context.spectrum;
    spectrum.chn_trailer.ecal_c3 = 0.0f;
    TextLines lines = read_input_lines(context);

    bool found = false;
    while (!found && !lines.at_end()) found = contains_keyword(lines.read_line(), record_mark);
    if (!found) return ReadOutcome::failed("no line carries the record mark \"A004\"");

    std::optional<std::string> times = next_header_line(lines);
    if (!times) return ReadOutcome::failed("header line 2 has no \"A004\"");
    read_times_and_length(*times, spectrum.chn_header);

    std::optional<std::string> start = next_header_line(lines);
    if (!start) return ReadOutcome::failed("header line 3 has no \"A004\"");
    read_start(*start, spectrum);

    std::optional<std::string> calibration = next_header_line(lines);
    if (!calibration) return ReadOutcome::failed("header line 4 has no \"A004\"");
    read_calibration(*calibration, spectrum.chn_trailer);

    for (int skipped = 0; skipped < skipped_header_lines; ++skipped) lines.read_line();
    read_counts(lines, spectrum);
    return ReadOutcome::read();
}

}  // namespace sorvane
