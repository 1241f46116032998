// Any bytes as a CHN file given to the runtime: decoded or refused, and when
// decoded, searched, fitted and written as a result file, all without a fault.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

#include "run_batch.h"
#include "support/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvane::MemoryFileSystem fs(sorvane::MemoryFileSystem::Flavour::posix);
    fs.add_folder("/sys");
    fs.add_folder("/res");
    fs.add_file("/chn/x.chn", std::string_view(reinterpret_cast<const char*>(data), size));
    sorvane::RunRequest request;
    request.system_dir = "/sys";
    request.chn_dir = "/chn/";
    request.res_dir = "/res/";
    request.base_names = {"x"};
    std::ostringstream log;
    sorvane::run_batch(request, fs, log);
    return 0;
}
