#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "import/readers.h"
#include "import/record_fields.h"
#include "platform/dos_pattern.h"

namespace sorvane {
namespace {

// Where a value stands on the line of its keyword: a fixed column (from 1), or,
// with column 0, right after the keyword wherever that stands.
struct ValueAt {
    std::size_t column;
    std::size_t length;
};

struct KeywordValue {
    std::string_view keyword;
    ValueAt at;
};

// Columns (from 1) of the parts of a date line, each two characters long except
// the three-letter month; seconds 0 means the line has none and "00" is used.
struct DateColumns {
    std::size_t day;
    std::size_t month;
    std::size_t century;
    std::size_t year;
    std::size_t hour;
    std::size_t minutes;
    std::size_t seconds;
};

enum class DateSearch {
    keyword_line,      // the first line with the date keyword; its absence fails the read
    first_am_pm_line,  // the first line with "am" or "pm", unless the end keyword comes first
};

// Everything in which the Windows, DOS and Mac exports differ.
struct OxfordVariant {
    KeywordValue channel_count;
    KeywordValue live_time;
    KeywordValue real_time;
    std::string_view description_keyword;
    std::size_t description_column;
    DateSearch date_search;
    std::string_view date_keyword;  // the date line's keyword, or the am/pm search's end keyword
    DateColumns date;
    bool has_calibration;
    std::size_t lines_before_counts;  // counts start after this many lines from the top ...
    std::string_view counts_header;   // ... or, when not empty, after the line holding this
    ValueAt count_text;
};

constexpr std::size_t to_end_of_line = 99;

enum class Oxford { win, dos, mac };

// The Windows, DOS and Mac exports, indexed by Oxford. Date columns: day, month,
// century, year, hour, minutes, seconds.
constexpr std::array<OxfordVariant, 3> oxford_variants = {{
    {
        .channel_count = {"Conversion Gain:", {27, 10}},
        .live_time = {"Elapsed Live Time:", {20, to_end_of_line}},
        .real_time = {"Elapsed Real Time:", {20, to_end_of_line}},
        .description_keyword = "ID:",
        .description_column = 4,
        .date_search = DateSearch::keyword_line,
        .date_keyword = "Acquisition Date:",
        .date = {20, 23, 27, 29, 32, 35, 0},
        .has_calibration = true,
        .lines_before_counts = 15,
        .counts_header = "",
        .count_text = {8, to_end_of_line},
    },
    {
        .channel_count = {"Conversion Gain:", {42, 5}},
        .live_time = {"Elt:", {37, 7}},
        .real_time = {"Real Time:", {65, 7}},
        .description_keyword = "ID:",
        .description_column = 3,
        .date_search = DateSearch::first_am_pm_line,
        .date_keyword = "No Acq Date",
        .date = {6, 2, 9, 11, 18, 21, 24},
        .has_calibration = false,
        .lines_before_counts = 0,
        .counts_header = "Chn    Counts",
        .count_text = {7, 8},
    },
    {
        .channel_count = {"Conversion Gain:", {0, 5}},
        .live_time = {"Elt:", {0, 10}},
        .real_time = {"Ert:", {0, 10}},
        .description_keyword = "Zoomed",
        .description_column = 1,
        .date_search = DateSearch::first_am_pm_line,
        .date_keyword = "Zoomed",
        .date = {6, 2, 9, 11, 18, 21, 24},
        .has_calibration = false,
        .lines_before_counts = 0,
        .counts_header = "Chn     Counts",
        .count_text = {7, 9},
    },
}};

constexpr const OxfordVariant& variant_of(Oxford export_kind) {
    return oxford_variants[static_cast<std::size_t>(export_kind)];
}

// The calibration lines of the Windows export: the file's A, B and C are the
// quadratic, linear and constant terms.
struct CalibrationLine {
    std::string_view keyword;
    float ChnTrailer::*term;
};
constexpr std::array<CalibrationLine, 3> calibration_lines = {{
    {"A =", &ChnTrailer::ecal_c2},
    {"B =", &ChnTrailer::ecal_c1},
    {"C =", &ChnTrailer::ecal_c0},
}};
constexpr std::size_t calibration_value_column = 54;

constexpr std::array<std::string_view, 12> month_names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// CHN dates carry English month names with a capital first letter, whatever case
// the export used; any other text is kept as written.
std::string_view month_name(std::string_view written) {
    for (std::string_view name : month_names) {
        if (equal_ignoring_case(name, written)) return name;
    }
    return written;
}

// The number a plain number text would show: "1", "-19", "-18.5".
std::string plain_number(double value) {
    std::array<char, 32> text{};
    auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) throw ReadFault("the century is no number");
    return std::string(text.data(), end);
}

// Century digits minus 19, "0" written as a blank: 19 gives " ", 20 gives "1".
std::string century_text(std::string_view digits) {
    const double century = number_value(digits) - 19.0;
    return century == 0.0 ? std::string(" ") : plain_number(century);
}

// The 24-hour, two-digit hour of a twelve-hour date line: 1 to 11 pm become 13
// to 23, every other hour keeps its value ("12" pm is noon, "15" is already 24-hour).
std::string twenty_four_hour(std::string_view written, bool pm) {
    const double value = number_value(written);
    if (!(value >= 0.0 && value <= 99.0) || value != std::floor(value)) {
        throw ReadFault("the hour \"" + std::string(written) + "\" is no hour");
    }
    int hour = static_cast<int>(value);
    if (pm && hour >= 1 && hour <= 11) hour += 12;
    return {static_cast<char>('0' + hour / 10), static_cast<char>('0' + hour % 10)};
}

// A one-digit value in the columns from 19 on means the export wrote the line one
// column short; a blank in front puts every part back at its column.
std::string aligned_date_line(std::string_view line) {
    std::string aligned(number_value(columns(line, 19, to_end_of_line)) < 10.0 ? " " : "");
    return aligned += line;
}

// One Oxford export being read: each step searches again from the top of the file
// and gives the reason when its item is missing.
class OxfordFile {
public:
    using Step = std::optional<std::string> (OxfordFile::*)();

    OxfordFile(TextLines lines, Spectrum& spectrum, const OxfordVariant& variant)
        : lines_(std::move(lines)), spectrum_(spectrum), variant_(variant) {}

    std::optional<std::string> channel_count() {
        return with_value(variant_.channel_count, [this](std::string_view text) {
            spectrum_.chn_header.num_channels = round_to_int16(number_value(text));
        });
    }

    std::optional<std::string> live_time() {
        return with_value(variant_.live_time, [this](std::string_view text) {
            spectrum_.chn_header.live_time = ticks_of_seconds(number_value(text));
        });
    }

    std::optional<std::string> real_time() {
        return with_value(variant_.real_time, [this](std::string_view text) {
            spectrum_.chn_header.real_time = ticks_of_seconds(number_value(text));
        });
    }

    std::optional<std::string> description() {
        std::optional<std::string_view> line = lines_.find_from_top(variant_.description_keyword);
        if (!line) return missing(variant_.description_keyword);
        set_sample_description(spectrum_, columns(*line, variant_.description_column, 64));
        return std::nullopt;
    }

    std::optional<std::string> start_date_and_time() {
        if (variant_.date_search == DateSearch::keyword_line) {
            std::optional<std::string_view> line = lines_.find_from_top(variant_.date_keyword);
            if (!line) return missing(variant_.date_keyword);
            store_date_line(aligned_date_line(*line), false);
            return std::nullopt;
        }
        lines_.rewind();
        while (!lines_.at_end()) {
            const std::string_view line = lines_.read_line();
            // An export without a date says so before any am/pm line: the date stays unset.
            if (contains_keyword(line, variant_.date_keyword)) return std::nullopt;
            if (contains_keyword(line, "am") || contains_keyword(line, "pm")) {
                store_date_line(aligned_date_line(line), true);
                return std::nullopt;
            }
        }
        return "no date line and no line containing \"" + std::string(variant_.date_keyword) + "\"";
    }

    std::optional<std::string> calibration() {
        if (!variant_.has_calibration) return std::nullopt;
        for (const CalibrationLine& item : calibration_lines) {
            std::optional<std::string_view> line = lines_.find_from_top(item.keyword);
            if (!line) return missing(item.keyword);
            spectrum_.chn_trailer.*item.term =
                to_float(number_value(columns(*line, calibration_value_column, to_end_of_line)));
        }
        return std::nullopt;
    }

    std::optional<std::string> counts() {
        const std::int16_t channels = spectrum_.chn_header.num_channels;
        // A negative count would be stored as a spectrum of no channels read successfully.
        if (channels <= 0) return "the channel count is " + std::to_string(channels);
        go_to_first_count_line();
        for (std::int32_t channel = 0; channel < channels; ++channel) {
            const std::string_view line = lines_.read_line();
            if (channel >= max_channels) {
                throw ReadFault("channel " + std::to_string(channel) + " is beyond channel 8800");
            }
            spectrum_.counts[static_cast<std::size_t>(channel)] = round_to_int32(number_value(
                columns(line, variant_.count_text.column, variant_.count_text.length)));
        }
        return std::nullopt;
    }

private:
    static std::string missing(std::string_view keyword) {
        return "no line contains \"" + std::string(keyword) + "\"";
    }

    template <typename Store>
    std::optional<std::string> with_value(const KeywordValue& item, Store store) {
        std::optional<std::string_view> line = lines_.find_from_top(item.keyword);
        if (!line) return missing(item.keyword);
        std::size_t column = item.at.column;
        if (column == 0) column = keyword_column(*line, item.keyword) + item.keyword.size();
        store(columns(*line, column, item.at.length));
        return std::nullopt;
    }

    static float to_float(double value) {
        if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
            throw ReadFault("calibration value " + std::to_string(value) + " does not fit 32 bits");
        }
        return static_cast<float>(value);
    }

    void store_date_line(const std::string& line, bool twelve_hour_clock) {
        const DateColumns& at = variant_.date;
        std::string date(columns(line, at.day, 2));
        date += month_name(columns(line, at.month, 3));
        date += columns(line, at.year, 2);
        date += century_text(columns(line, at.century, 2));
        assign_text(spectrum_.chn_header.start_date, date);

        std::string time(columns(line, at.hour, 2));
        if (twelve_hour_clock) time = twenty_four_hour(time, contains_keyword(line, "pm"));
        time += columns(line, at.minutes, 2);
        time += at.seconds == 0 ? std::string_view("00") : columns(line, at.seconds, 2);
        set_start_time(spectrum_, time);
    }

    // Past the fixed head of the file, or past the counts' header line; without
    // that line the read position is the end, and the first count is a fault.
    void go_to_first_count_line() {
        if (variant_.counts_header.empty()) {
            lines_.rewind();
            for (std::size_t i = 0; i < variant_.lines_before_counts; ++i) lines_.read_line();
        } else if (!lines_.find_from_top(variant_.counts_header)) {
            lines_.seek(lines_.size());
        }
    }

    TextLines lines_;
    Spectrum& spectrum_;
    const OxfordVariant& variant_;
};

// The items of an export in the order they are looked for.
constexpr std::array<OxfordFile::Step, 7> oxford_steps = {
    &OxfordFile::channel_count, &OxfordFile::live_time,           &OxfordFile::real_time,
    &OxfordFile::description,   &OxfordFile::start_date_and_time, &OxfordFile::calibration,
    &OxfordFile::counts,
};

ReadOutcome read_oxford(ReaderContext& context, const OxfordVariant& variant) {
    OxfordFile file(read_input_lines(context), context.spectrum, variant);
    for (OxfordFile::Step step : oxford_steps) {
        if (std::optional<std::string> missing = (file.*step)())
            return ReadOutcome::failed(*missing);
    }
    return ReadOutcome::read();
}

}  // namespace

ReadOutcome read_oxford_win(ReaderContext& context) {
    return read_oxford(context, variant_of(Oxford::win));
}
ReadOutcome read_oxford_dos(ReaderContext& context) {
    return read_oxford(context, variant_of(Oxford::dos));
}
ReadOutcome read_oxford_mac(ReaderContext& context) {
    return read_oxford(context, variant_of(Oxford::mac));
}

}  // namespace sorvane
