#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sorvane {

std::string hex_bytes(std::string_view listing) {
    std::string bytes;
    std::string pair;
    for (char c : listing) {
        if (c == ' ' || c == '\n' || c == '\t') continue;
        pair += c;
        if (pair.size() == 2) {
            bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
            pair.clear();
        }
    }
    if (!pair.empty()) throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

std::string crlf_lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

#ifdef _WIN32
// No mkdtemp on Windows: try numbered names until one can be created.
TempFolder::TempFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0; attempt < 10000; ++attempt) {
        const std::filesystem::path folder =
            base / ("sorvane-test-" + std::to_string(std::rand()) + "-" + std::to_string(attempt));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) {
            path_ = folder.string() + "\\";
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}
#else
TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}
#endif

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string test_data_path(std::string_view relative_path) {
    return std::string(SORVANE_TEST_DATA) + "/" + std::string(relative_path);
}

std::string test_data(std::string_view relative_path) {
    std::ifstream in(test_data_path(relative_path), std::ios::binary);
    if (!in) throw std::runtime_error("missing test data " + std::string(relative_path));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace sorvane
