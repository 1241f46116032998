#include <string>

#include "import/readers.h"
#include "import/record_fields.h"

namespace sorvane {
namespace {

constexpr std::size_t channels_per_row = 8;
// Rows 0 to 1099 fill channels 0 to 8799; one more row would pass channel 8800.
constexpr std::size_t max_rows = max_channels / channels_per_row;

// Each keyword item is looked for by a new pass from the top of the dump.
std::optional<std::string_view> find_item(TextLines& lines, std::string_view keyword) {
    return lines.find_from_top(keyword);
}

ReadOutcome missing(std::string_view keyword) {
    return ReadOutcome::failed("no line with \"" + std::string(keyword) + "\"");
}

// "MEMORY=" line: day, month name as printed, year, hour and minute in fixed columns.
void set_start(Spectrum& spectrum, std::string_view line) {
    std::string date = std::string(columns(line, 59, 2)) + std::string(columns(line, 62, 3)) +
                       std::string(columns(line, 66, 2));
    if (date.size() >= 6 && date[5] == ' ') date[5] = '0';
    date += number_value(columns(line, 66, 2)) - 70 < 0 ? '1' : ' ';
    assign_text(spectrum.chn_header.start_date, date);
    set_start_time(spectrum,
                   std::string(columns(line, 70, 2)) + std::string(columns(line, 73, 2)) + "00");
}

// One printed row: eight contents of seven columns each, from column 12 every nine
// columns; a short line gives 0 for the contents it does not reach.
void read_row(Spectrum& spectrum, std::string_view line, std::size_t row) {
    if (row >= max_rows) {
        throw ReadFault("the channel table has more than " + std::to_string(max_rows) +
                        " rows, more than the 8801 channels a spectrum holds");
    }
    for (std::size_t k = 0; k < channels_per_row; ++k) {
        spectrum.counts[channels_per_row * row + k] =
            round_to_int32(number_value(columns(line, 12 + 9 * k, 7)));
    }
}

// The line after "CHANNEL#" is always row 0; after it only lines with a positive
// row label are rows: blank lines and repeated headings are passed over.
std::size_t read_channel_table(TextLines& lines, Spectrum& spectrum) {
    std::size_t rows = 0;
    read_row(spectrum, lines.read_line(), rows++);
    while (!lines.at_end()) {
        const std::string_view line = lines.read_line();
        if (number_value(columns(line, 2, 5)) > 0) read_row(spectrum, line, rows++);
    }
    return rows;
}

}  // namespace

ReadOutcome read_canberra35(ReaderContext& context) {
    Spectrum& spectrum = context.spectrum;
    TextLines lines = read_input_lines(context);

    constexpr std::string_view identification = "SERIES 35+  V-2.00";
    if (!find_item(lines, identification)) return missing(identification);

    std::optional<std::string_view> line = find_item(lines, "LIVE TIME=");
    if (!line) return missing("LIVE TIME=");
    spectrum.chn_header.live_time = ticks_of_seconds(number_value(columns(*line, 27, 7)));

    if (!(line = find_item(lines, "TRUE TIME="))) return missing("TRUE TIME=");
    spectrum.chn_header.real_time = ticks_of_seconds(number_value(columns(*line, 48, 7)));

    if (!(line = find_item(lines, "TAG NO. ="))) return missing("TAG NO. =");
    set_sample_description(spectrum, *line);

    if (!(line = find_item(lines, "MEMORY="))) return missing("MEMORY=");
    set_start(spectrum, *line);

    if (!find_item(lines, "CHANNEL#")) return missing("CHANNEL#");
    const std::size_t rows = read_channel_table(lines, spectrum);
    spectrum.chn_header.num_channels = static_cast<std::int16_t>(channels_per_row * rows);

    return ReadOutcome::read();
}

}  // namespace sorvane
