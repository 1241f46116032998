#include <cstdio>
#include <string>

#include "import/readers.h"
#include "import/record_fields.h"
#include "spectrum/little_endian.h"

namespace sorvane {
namespace {

constexpr std::size_t labo_header_size = 1024;
constexpr std::string_view labo_identification = "Laboratory Equipment";

// The header record of a Labo file, as decoded from its first 1024 bytes.
struct LaboHeader {
    std::string_view identification_front;  // 50 characters at offset 0 (version 1.54)
    std::int16_t channels = 0;
    float ecal_quadratic = 0.0f;
    float ecal_linear = 0.0f;
    float ecal_constant = 0.0f;
    std::int16_t year = 0;
    std::int16_t month = 0;
    std::int16_t day = 0;
    std::int16_t hour = 0;
    std::int16_t minute = 0;
    std::int16_t second = 0;
    std::int32_t live_seconds = 0;
    std::int32_t real_seconds = 0;
    std::string_view sample_description;   // 64 characters at offset 774
    std::string_view identification_back;  // 160 characters at offset 864 (older versions)
};

// The views point into `bytes`, which the caller keeps alive.
LaboHeader decode_labo_header(std::string_view bytes) {
    if (bytes.size() < labo_header_size) {
        throw ReadFault("the file is shorter than the 1024-byte header (" +
                        std::to_string(bytes.size()) + " bytes)");
    }
    LaboHeader header;
    header.identification_front = bytes.substr(0, 50);
    header.channels = get_i16(bytes, 54);
    header.ecal_quadratic = get_f32(bytes, 64);
    header.ecal_linear = get_f32(bytes, 68);
    header.ecal_constant = get_f32(bytes, 72);
    header.year = get_i16(bytes, 80);
    header.month = get_i16(bytes, 82);
    header.day = get_i16(bytes, 84);
    header.hour = get_i16(bytes, 88);
    header.minute = get_i16(bytes, 90);
    header.second = get_i16(bytes, 92);
    header.live_seconds = get_i32(bytes, 712);
    header.real_seconds = get_i32(bytes, 716);
    header.sample_description = bytes.substr(774, 64);
    header.identification_back = bytes.substr(864, 160);
    return header;
}

// A header value written with at least two digits, a minus sign before them.
std::string two_digits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, value < 0 ? "-%02d" : "%02d", value < 0 ? -value : value);
    return text;
}

// A four-digit year keeps its last two digits: written whole it would push the
// time out of its fixed columns and garble it.
std::string year_digits(int year) {
    return year >= 100 ? two_digits(year % 100) : two_digits(year);
}

char labo_century(int year) {
    if (year >= 1900) return century_character(year);
    return year % 100 < 70 ? '1' : ' ';
}

// The date and time as the analyser prints them, DD/MM/YYhh:mm:ss, cut at fixed
// columns into the record's date, time and seconds.
void set_start(Spectrum& spectrum, const LaboHeader& header, int year) {
    const std::string stamp = two_digits(header.day) + "/" + two_digits(header.month) + "/" +
                              year_digits(year) + two_digits(header.hour) + ":" +
                              two_digits(header.minute) + ":" + two_digits(header.second);
    auto cut = [&stamp](std::size_t column, std::size_t length) {
        return std::string(columns(stamp, column, length));
    };
    const std::string date = cut(1, 2) + num2month(static_cast<int>(number_value(cut(4, 2)))) +
                             cut(7, 2) + labo_century(year);
    assign_text(spectrum.chn_header.start_date, date);
    set_start_time(spectrum, cut(9, 2) + cut(12, 2) + cut(15, 2));
}

// Binary texts end at their first NUL; the record pads the rest with blanks.
std::string_view up_to_nul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

void read_channels(Spectrum& spectrum, std::string_view bytes, std::int16_t channels) {
    if (channels > max_channels) {
        throw ReadFault("the header gives " + std::to_string(channels) + " channels, more than " +
                        std::to_string(max_channels));
    }
    spectrum.chn_header.num_channels = channels;
    if (channels <= 0) return;
    const std::size_t count = static_cast<std::size_t>(channels);
    if (bytes.size() < labo_header_size + 4 * count) {
        throw ReadFault("the file ends before its " + std::to_string(count) + " channels");
    }
    for (std::size_t channel = 0; channel < count; ++channel) {
        spectrum.counts[channel] = get_i32(bytes, labo_header_size + 4 * channel);
    }
}

// The two versions differ only in where the maker's text stands and in the year.
enum class LaboVersion { older, v154 };

ReadOutcome read_labo_file(ReaderContext& context, LaboVersion version) {
    Spectrum& spectrum = context.spectrum;
    const std::string bytes = read_input_bytes(context);
    const LaboHeader labo_header = decode_labo_header(bytes);

    const bool v154 = version == LaboVersion::v154;
    if (!contains_keyword(v154 ? labo_header.identification_front : labo_header.identification_back,
                          labo_identification)) {
        return ReadOutcome::failed(std::string("no \"Laboratory Equipment\" in the header's ") +
                                   (v154 ? "first 50 bytes" : "last 160 bytes"));
    }
    read_channels(spectrum, bytes, labo_header.channels);
    spectrum.chn_header.live_time = ticks_of_seconds(labo_header.live_seconds);
    spectrum.chn_header.real_time = ticks_of_seconds(labo_header.real_seconds);

    int year = labo_header.year;
    if (v154 && year > 1999) year -= 2000;
    set_start(spectrum, labo_header, year);

    set_sample_description(spectrum, up_to_nul(labo_header.sample_description.substr(0, 63)));
    spectrum.chn_trailer.ecal_c0 = labo_header.ecal_constant;
    spectrum.chn_trailer.ecal_c1 = labo_header.ecal_linear;
    spectrum.chn_trailer.ecal_c2 = labo_header.ecal_quadratic;
    return ReadOutcome::read();
}

}  // namespace

ReadOutcome read_labo(ReaderContext& context) {
    return read_labo_file(context, LaboVersion::older);
}

ReadOutcome read_labo_v154(ReaderContext& context) {
    return read_labo_file(context, LaboVersion::v154);
}

}  // namespace sorvane
