// Any bytes as a control file, read as the window reads it ("read parm", start-up):
// every section is parsed or left alone, and the record it gives writes out again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "contract/control_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sorvane::AnalysisSettings settings;
    sorvane::parse_control_file(bytes, settings);
    const std::vector<std::string> names = sorvane::read_file_name_section(bytes);
    // What was read must be writable and read back without a fault.
    const std::string again = sorvane::render_control_file(settings, names);
    sorvane::AnalysisSettings reread;
    sorvane::parse_control_file(again, reread);
    sorvane::read_file_name_section(again);
    return 0;
}
