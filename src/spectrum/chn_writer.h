#pragma once

#include <string>

#include "platform/file_system.h"
#include "spectrum/spectrum.h"

namespace sorvane {

inline constexpr std::size_t chn_header_size = 32;
inline constexpr std::size_t chn_trailer_size = 516;

// The channels that the CHN file holds: num_channels, but never more than the
// record's capacity and never below 0.
int stored_channel_count(const ChnHeader& header);

// The bytes of the CHN file of a record: header, counts, trailer.
std::string encode_chn(const Spectrum& spectrum);

// Sets file_type to -1 and writes the record to chn_path, replacing any older
// file whole, and only once the new one is complete. On failure no partial file
// stays, an older file stays as it was, and the reason is returned.
FsResult write_chn(Spectrum& spectrum, FileSystem& fs);

}  // namespace sorvane
