#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "support/test_files.h"

namespace sorvane {

// A "Simple data: Ch, Count" file of five channels, as the GO tests convert it.
inline std::string simple_spectrum() {
    return crlf_lines({"0, 10", "1, 11", "2, 5", "3, 6", "4, 7"});
}

// A file of the real disk, read whole; empty when it cannot be read.
inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace sorvane
