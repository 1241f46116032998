#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// The text with the ASCII letters in lower case (names compared ignoring case).
std::string lower_text(std::string_view text);

// A folder ending in a separator, so that a name can be appended: the platform's
// `separator` is added unless the text is empty or already ends in it or in "/".
std::string as_folder(std::string folder, char separator);

// The first `limit` bytes of a text, a little fewer when the cut would split a
// UTF-8 sequence.
std::string utf8_prefix(std::string_view text, std::size_t limit);

// The text without the given characters at either end (by default blanks, tabs and
// the CR of a CR LF line).
std::string_view trimmed(std::string_view text, std::string_view blanks = " \t\r");

// The texts one after another with `between` between each two.
std::string joined(const std::vector<std::string>& texts, std::string_view between = " ");

// Text made safe inside HTML or SVG elements and attribute values.
std::string markup_text(std::string_view text);

}  // namespace sorvane
