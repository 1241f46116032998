#pragma once

#include <functional>
#include <string>

#include "spectrum/spectrum.h"

namespace sorvane {

// One row of a reader's field table: a good file with the text `from` replaced by
// `to`, the field of the record it changes (as text), and the expected value.
struct FieldCase {
    const char* name;
    std::string from;
    std::string to;
    std::function<std::string(const Spectrum&)> field;
    std::string expected;
};

}  // namespace sorvane
