// Any bytes as a laboratory's line library and as its half-lives: read, never a read
// outside the bytes or a crash; what cannot be read is a problem, not an exception.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuclides/line_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    sorvane::nuclides::LineLibrary library;
    sorvane::nuclides::add_gamma_lines(library, text, "lab.csv");
    sorvane::nuclides::add_nuclide_facts(library, text, "lab.nuclides.csv");
    for (const auto& facts : library.nuclides) facts.half_life_seconds();
    return 0;
}
