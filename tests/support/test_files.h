#pragma once

#include <string>
#include <string_view>

namespace sorvane {

// Bytes from a hex listing written by hand, such as "FF FF E7 03"; blanks and
// line breaks between the pairs are ignored.
std::string hex_bytes(std::string_view listing);

// Lines joined with CR LF, each line ended, as the analysers' text files are.
std::string crlf_lines(std::initializer_list<std::string_view> lines);

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes. path() ends in "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A file of the tests' data folder, read whole.
std::string test_data(std::string_view relative_path);
std::string test_data_path(std::string_view relative_path);

}  // namespace sorvane
