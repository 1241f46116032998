#include "import/record_fields.h"

#include <array>
#include <cstdio>

#include "import/read_fault.h"
#include "import/text_conventions.h"

namespace sorvane {

void store_count_line(std::string_view line, const CountColumns& layout, Spectrum& spectrum,
                      std::optional<std::int64_t> stop_at) {
    constexpr std::size_t counts_per_line = 5;
    constexpr std::size_t count_spacing = 10;
    const std::int64_t channel =
        round_to_int32(number_value(columns(line, layout.channel_column, layout.channel_width)));
    for (std::size_t k = 0; k < counts_per_line; ++k) {
        const std::int64_t at = channel + static_cast<std::int64_t>(k);
        if (at < 0 || at >= max_channels)
            throw ReadFault("channel " + std::to_string(at) + " is outside 0 to 8800");
        spectrum.counts[static_cast<std::size_t>(at)] = round_to_int32(number_value(
            columns(line, layout.first_count_column + count_spacing * k, layout.count_width)));
        if (stop_at && at >= *stop_at) break;
    }
}

std::int32_t ticks_of_seconds(double seconds) {
    return round_to_int32(seconds * 50.0);
}

char century_character(int year) {
    int century = year / 100 - 19;
    if (century == 0) return ' ';
    std::string text = std::to_string(century);
    return text.front();
}

std::string chn_date_text(int day, int month, int year) {
    static constexpr std::array<const char*, 12> months = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 1 || month > 12) throw ReadFault("month " + std::to_string(month) + " is no month");
    char text[16];
    std::snprintf(text, sizeof text, "%02d%s%02d", day % 100,
                  months[static_cast<std::size_t>(month - 1)], year % 100);
    return std::string(text) + century_character(year);
}

void set_start_time(Spectrum& spectrum, std::string_view hhmmss) {
    auto& time = spectrum.chn_header.start_time;
    assign_text(time, hhmmss);
    if (time[2] == ' ') time[2] = '0';
    auto digit_byte = [](char c) { return c >= '0' && c <= '9' ? c : '0'; };
    spectrum.chn_header.start_sec = {digit_byte(time[4]), digit_byte(time[5])};
}

void reset_for_reader(Spectrum& spectrum, std::int16_t mca_number) {
    spectrum.chn_trailer.ecal_c0 = 0.0f;
    spectrum.chn_trailer.ecal_c1 = 1.0f;
    spectrum.chn_trailer.ecal_c2 = 0.0f;
    spectrum.chn_header.mca_number = mca_number;
    spectrum.chn_header.segment = 1;
    spectrum.chn_header.num_channels = 0;
}

void set_sample_description(Spectrum& spectrum, std::string_view line) {
    assign_text(spectrum.chn_trailer.sample_desc, line.substr(0, 64));
    spectrum.chn_trailer.sample_desc_len = 63;
}

}  // namespace sorvane
