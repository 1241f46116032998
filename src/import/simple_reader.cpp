#include <algorithm>
#include <array>

#include "import/readers.h"
#include "import/record_fields.h"

namespace sorvane {
namespace {

// Whether the last four number values read are consecutive channel numbers.
bool is_run(const std::array<std::int32_t, 4>& window) {
    for (std::size_t i = 1; i < window.size(); ++i) {
        if (std::int64_t{window[i]} != std::int64_t{window[i - 1]} + 1) return false;
    }
    return true;
}

// Number (from 1) of the fourth line of the first run of four consecutive
// channel numbers; the window starts as 0, 0, 0, 0, so a list from channel 1 runs
// at line 3.
std::optional<std::size_t> find_channel_run(TextLines& lines) {
    std::array<std::int32_t, 4> window{};
    std::size_t line_number = 1;
    while (!lines.at_end()) {
        std::rotate(window.begin(), window.begin() + 1, window.end());
        window.back() = round_to_int32(number_value(lines.read_line()));
        if (is_run(window)) return line_number;
        ++line_number;
    }
    return std::nullopt;
}

// Reads "channel, count" lines until the first line whose channel is 0 after a
// nonzero channel; gives the highest channel seen.
std::int32_t read_channel_list(TextLines& lines, Spectrum& spectrum) {
    std::int32_t highest = 0;
    while (!lines.at_end()) {
        const std::string_view line = lines.read_line();
        std::int32_t channel = round_to_int32(number_value(line));
        if (highest > 0 && channel == 0) break;
        if (channel < 0 || channel >= max_channels) {
            throw ReadFault("channel " + std::to_string(channel) + " is outside 0 to 8800");
        }
        spectrum.counts[static_cast<std::size_t>(channel)] =
            round_to_int32(number_value(get_field_view(line, " ", 2)));
        highest = std::max(highest, channel);
    }
    return highest;
}

// 1024, 2048, 4096, 8192 or 16384: the smallest that holds the highest channel.
std::int16_t spectrum_length(std::int32_t highest_channel) {
    std::int32_t length = 1024;
    while (length < 16384 && highest_channel > length) length *= 2;
    return static_cast<std::int16_t>(length);
}

}  // namespace

ReadOutcome read_simple(ReaderContext& context) {
    Spectrum& spectrum = context.spectrum;
    TextLines lines = read_input_lines(context);

    std::optional<std::size_t> run_end = find_channel_run(lines);
    if (!run_end) return ReadOutcome::failed("no four consecutive channel numbers");
    // Restart at the line just before the run (line 1 when the run is at the top).
    lines.seek(*run_end > 4 ? *run_end - 4 - 1 : 0);

    std::int32_t highest = read_channel_list(lines, spectrum);
    spectrum.chn_header.num_channels = spectrum_length(highest);
    // Channel 0 holds the live time and channel 1 the real time, in seconds.
    spectrum.chn_header.live_time = ticks_of_seconds(spectrum.counts[0]);
    spectrum.chn_header.real_time = ticks_of_seconds(spectrum.counts[1]);
    assign_text(spectrum.chn_header.start_date, "");
    assign_text(spectrum.chn_header.start_time, "");
    return ReadOutcome::read();
}

}  // namespace sorvane
