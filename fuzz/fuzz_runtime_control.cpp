// Any bytes as the runtime's control file: it is read into a run, and the run goes
// over the listed base names on an in-memory disk without any CHN file.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

#include "control_input.h"
#include "support/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvane::MemoryFileSystem fs(sorvane::MemoryFileSystem::Flavour::posix);
    fs.add_file("/sys/sorvane.inf", std::string_view(reinterpret_cast<const char*>(data), size));
    const sorvane::ControlInput input = sorvane::request_from_control_file("/sys", fs);
    if (input.request) {
        std::ostringstream log;
        sorvane::run_batch(*input.request, fs, log);
    }
    return 0;
}
