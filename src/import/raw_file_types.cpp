#include "import/raw_file_types.h"

#include "platform/dos_pattern.h"

namespace sorvane {

std::int16_t type_code_of(int position) {
    if (position < 0 || position >= last_type_position) return 0;
    return raw_file_types[static_cast<std::size_t>(position)].code;
}

int position_of(int code) {
    for (int position = 0; position < last_type_position; ++position) {
        if (raw_file_types[static_cast<std::size_t>(position)].code == code) return position;
    }
    return last_type_position;
}

std::string pattern_of(std::string_view caption) {
    std::size_t start = 0;
    while (start + 1 < caption.size() && !(caption[start] == '*' && caption[start + 1] == '.'))
        ++start;
    if (start + 1 >= caption.size()) return {};
    return std::string(caption.substr(start, caption.size() - 1 - start));
}

const RawFileType* type_of_code(int code) {
    int position = position_of(code);
    return position < last_type_position ? &raw_file_types[static_cast<std::size_t>(position)]
                                         : nullptr;
}

const RawFileType* type_of_name(std::string_view name) {
    for (const RawFileType& type : raw_file_types) {
        if (equal_ignoring_case(type.short_name, name) || equal_ignoring_case(type.caption, name)) {
            return &type;
        }
    }
    return nullptr;
}

}  // namespace sorvane
