#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/spectrum.h"

namespace sorvane {

// Which CHN layout a file uses: this program's own (516-byte trailer, HHMMSS
// start time) or the published integer one (512-byte trailer starting with -102,
// HHMM start time and a channel offset) that analysers and other programs write.
enum class ChnLayout { own, published };

struct ChnFile {
    ChnLayout layout = ChnLayout::own;
    ChnHeader header;                           // start_time always as HHMMSS
    std::int16_t channel_offset = 0;            // published layout only
    std::vector<std::int32_t> counts;           // every channel of the file, not capped
    std::array<float, 4> energy_calibration{};  // c0..c3; c3 is 0 in the published layout
    std::string sample_description;
};

struct ChnDecode {
    std::optional<ChnFile> file;
    std::string reason;  // why the bytes are no CHN file
};

// Tells the layout apart by the file's size and trailer, and decodes it.
ChnDecode decode_chn(std::string_view bytes);

}  // namespace sorvane
