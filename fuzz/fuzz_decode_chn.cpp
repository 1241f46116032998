// Any bytes as a CHN file: decoded or refused, never a read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "spectrum/chn_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvane::decode_chn(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
