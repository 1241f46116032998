#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// Channels 0 to 8800: the capacity of every spectrum, whatever its source.
inline constexpr int max_channels = 8801;

// Written as the 32-byte CHN header.
struct ChnHeader {
    std::int16_t file_type = 0;
    std::int16_t mca_number = 0;
    std::int16_t segment = 0;
    std::array<char, 2> start_sec{};   // seconds of the start time as ASCII digits
    std::int32_t real_time = 0;        // 20 ms ticks
    std::int32_t live_time = 0;        // 20 ms ticks
    std::array<char, 8> start_date{};  // "ddMmmyy" + century character
    std::array<char, 6> start_time{};  // HHMMSS
    std::int16_t num_channels = 0;
};

// Written after the counts as the 516-byte CHN trailer.
struct ChnTrailer {
    float ecal_c0 = 0.0f;
    float ecal_c1 = 0.0f;
    float ecal_c2 = 0.0f;
    float ecal_c3 = 0.0f;
    std::uint8_t detector_desc_len = 0;
    std::array<char, 63> detector_desc{};
    std::uint8_t sample_desc_len = 0;
    std::array<char, 63> sample_desc{};
};

// The one in-memory spectrum that a reader fills and write_chn stores.
struct Spectrum {
    ChnHeader chn_header;
    std::array<std::int32_t, max_channels> counts{};
    ChnTrailer chn_trailer;
    std::string input_path;  // the raw file the current reader opens
    std::string chn_path;    // the CHN file write_chn writes

    // Zero / NUL in every field, the paths kept: each conversion starts from here,
    // so nothing of one raw file reaches the CHN file of the next.
    void clear_data();
};

// Left-aligned assignment to a fixed-width character field: padded with spaces,
// cut at the width.
template <std::size_t N>
void assign_text(std::array<char, N>& field, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i) field[i] = i < text.size() ? text[i] : ' ';
}

template <std::size_t N>
std::string_view text_of(const std::array<char, N>& field) {
    return std::string_view(field.data(), N);
}

}  // namespace sorvane
