#include "platform/text_helpers.h"

#include <cctype>

namespace sorvane {

std::string lower_text(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string as_folder(std::string folder, char separator) {
    if (!folder.empty() && folder.back() != separator && folder.back() != '/') folder += separator;
    return folder;
}

std::string_view trimmed(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string joined(const std::vector<std::string>& texts, std::string_view between) {
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) out += between;
        out += texts[i];
    }
    return out;
}

std::string utf8_prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    std::size_t cut = limit;
    // Walk back over continuation bytes to the lead byte of the sequence, and cut
    // before it when the sequence it starts runs past the limit.
    std::size_t lead = cut;
    while (lead > 0 && lead + 3 > cut && (byte(lead) & 0xC0) == 0x80) --lead;
    if (lead < cut && (byte(lead) & 0xC0) == 0xC0) {
        const std::size_t length = byte(lead) >= 0xF0 ? 4 : byte(lead) >= 0xE0 ? 3 : 2;
        if (lead + length > cut) cut = lead;
    }
    return std::string(text.substr(0, cut));
}

std::string markup_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace sorvane
