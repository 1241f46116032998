#include "spectrum/chn_writer.h"

#include <algorithm>

#include "spectrum/little_endian.h"

namespace sorvane {
namespace {

template <std::size_t N>
void put_chars(std::string& out, const std::array<char, N>& field) {
    out.append(field.data(), N);
}

void put_zeros(std::string& out, std::size_t count) {
    out.append(count, '\0');
}

void put_header(std::string& out, const ChnHeader& header) {
    put_i16(out, -1);  // the file type of every CHN file
    put_i16(out, header.mca_number);
    put_i16(out, header.segment);
    put_chars(out, header.start_sec);
    put_i32(out, header.real_time);
    put_i32(out, header.live_time);
    put_chars(out, header.start_date);
    put_chars(out, header.start_time);
    // A record longer than the capacity is stored cut, and the header says so.
    std::int16_t channels =
        header.num_channels > max_channels ? std::int16_t{max_channels} : header.num_channels;
    put_i16(out, channels);
}

void put_trailer(std::string& out, const ChnTrailer& trailer) {
    put_i16(out, 0);
    put_i16(out, 0);
    put_f32(out, trailer.ecal_c0);
    put_f32(out, trailer.ecal_c1);
    put_f32(out, trailer.ecal_c2);
    put_f32(out, trailer.ecal_c3);
    put_zeros(out, 12 + 228);
    put_u8(out, trailer.detector_desc_len);
    put_chars(out, trailer.detector_desc);
    put_u8(out, trailer.sample_desc_len);
    put_chars(out, trailer.sample_desc);
    put_zeros(out, 128);
}

}  // namespace

int stored_channel_count(const ChnHeader& header) {
    return std::clamp<int>(header.num_channels, 0, max_channels);
}

std::string encode_chn(const Spectrum& spectrum) {
    const int channels = stored_channel_count(spectrum.chn_header);
    std::string out;
    out.reserve(chn_header_size + 4 * static_cast<std::size_t>(channels) + chn_trailer_size);
    put_header(out, spectrum.chn_header);
    for (int channel = 0; channel < channels; ++channel) {
        put_i32(out, spectrum.counts[static_cast<std::size_t>(channel)]);
    }
    put_trailer(out, spectrum.chn_trailer);
    return out;
}

FsResult write_chn(Spectrum& spectrum, FileSystem& fs) {
    spectrum.chn_header.file_type = -1;
    // Written beside and renamed, so an earlier CHN file stays until the new one is whole.
    return write_whole_file(fs, spectrum.chn_path, encode_chn(spectrum));
}

}  // namespace sorvane
