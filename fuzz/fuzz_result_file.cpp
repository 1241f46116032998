// Any bytes as a result file: read, drawn as the window and B.svg draw it, and
// tabled, never a read outside the bytes, a crash or a draw without end.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "results/opened_result.h"
#include "results/svg_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const sorvane::OpenedResult opened = sorvane::opened_from_text(
        "x.res", std::string_view(reinterpret_cast<const char*>(data), size));
    sorvane::picture_svg(opened.picture);
    sorvane::peaks_csv(opened.result);
    return 0;
}
