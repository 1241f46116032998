#include "spectrum/chn_reader.h"

#include <algorithm>

#include "spectrum/little_endian.h"

namespace sorvane {
namespace {

constexpr std::size_t header_size = 32;
constexpr std::size_t own_trailer_size = 516;
constexpr std::size_t published_trailer_size = 512;
constexpr std::int16_t published_trailer_mark = -102;

// Where the fields of the trailer stand in each layout.
struct TrailerPlaces {
    std::size_t calibration_terms;
    std::size_t sample_desc_len;
};
constexpr TrailerPlaces own_places{4, 324};
constexpr TrailerPlaces published_places{3, 320};

template <std::size_t N>
void copy_chars(std::array<char, N>& field, std::string_view bytes, std::size_t at) {
    for (std::size_t i = 0; i < N; ++i) field[i] = bytes[at + i];
}

ChnHeader decode_header(std::string_view bytes) {
    ChnHeader header;
    header.file_type = get_i16(bytes, 0);
    header.mca_number = get_i16(bytes, 2);
    header.segment = get_i16(bytes, 4);
    copy_chars(header.start_sec, bytes, 6);
    header.real_time = get_i32(bytes, 8);
    header.live_time = get_i32(bytes, 12);
    copy_chars(header.start_date, bytes, 16);
    copy_chars(header.start_time, bytes, 24);
    header.num_channels = get_i16(bytes, 30);
    return header;
}

void decode_trailer(ChnFile& file, std::string_view trailer, TrailerPlaces places) {
    for (std::size_t term = 0; term < places.calibration_terms; ++term) {
        file.energy_calibration[term] = get_f32(trailer, 4 + 4 * term);
    }
    std::size_t length = std::min<std::size_t>(get_u8(trailer, places.sample_desc_len), 63);
    file.sample_description = std::string(trailer.substr(places.sample_desc_len + 1, length));
}

}  // namespace

ChnDecode decode_chn(std::string_view bytes) {
    if (bytes.size() < header_size) return {std::nullopt, "shorter than the 32-byte CHN header"};
    ChnFile file;
    file.header = decode_header(bytes);
    if (file.header.file_type != -1) {
        return {std::nullopt,
                "file type " + std::to_string(file.header.file_type) + " in the header, not -1"};
    }
    // The published layout counts up to 65535 channels in this word.
    const std::size_t channels = get_u16(bytes, 30);
    const std::size_t data_end = header_size + 4 * channels;
    if (bytes.size() == data_end + own_trailer_size) {
        file.layout = ChnLayout::own;
        decode_trailer(file, bytes.substr(data_end), own_places);
    } else if (bytes.size() == data_end + published_trailer_size &&
               get_i16(bytes, data_end) == published_trailer_mark) {
        file.layout = ChnLayout::published;
        decode_trailer(file, bytes.substr(data_end), published_places);
        // HHMM at 24..27 and a channel offset at 28..29; the seconds are in start_sec.
        file.channel_offset = get_i16(bytes, 28);
        file.header.start_time[4] = file.header.start_sec[0];
        file.header.start_time[5] = file.header.start_sec[1];
    } else {
        return {std::nullopt, std::to_string(bytes.size()) + " bytes fit neither CHN layout for " +
                                  std::to_string(channels) + " channels"};
    }
    file.counts.resize(channels);
    for (std::size_t channel = 0; channel < channels; ++channel) {
        file.counts[channel] = get_i32(bytes, header_size + 4 * channel);
    }
    return {std::move(file), {}};
}

}  // namespace sorvane
