// Any bytes as a raw file of one type: the reader must give read or not read,
// never touch memory outside its arrays, and its record must encode as a CHN file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "import/read_raw_file.h"
#include "platform/silent_ui.h"
#include "spectrum/chn_writer.h"
#include "support/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorvane::Spectrum spectrum;  // one record for all inputs, as in a long run
    sorvane::MemoryFileSystem fs;
    sorvane::SilentUi ui;
    const std::string path = std::string("C:\\data\\") + FUZZ_FILE_NAME;
    fs.add_file(path, std::string_view(reinterpret_cast<const char*>(data), size));
    sorvane::ReaderContext context{spectrum, fs, ui};
    if (sorvane::read_raw_file(context, FUZZ_TYPE_CODE, path).ok()) {
        spectrum.chn_path = "C:\\data\\x.chn";
        sorvane::write_chn(spectrum, fs);
    }
    return 0;
}
