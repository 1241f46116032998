#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace sorvane {

// Any fault while reading a file: end of file, a value out of range, a number too
// large. Readers of raw spectra turn it into "not read"; the control file's reader
// into a field that keeps its value.
class ReadFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The leading decimal number of a text, blanks, tabs and line feeds anywhere being
// ignored: optional sign, digits, one point, an exponent after E, e, D or d. A
// text with no leading number is 0. A value too large for a double is a ReadFault.
double number_value(std::string_view text);

// Rounding to the nearest integer, halves to the even neighbour.
double round_half_even(double value);

// Rounded conversions; a value that does not fit is a ReadFault.
std::int32_t round_to_int32(double value);
std::int16_t round_to_int16(double value);

}  // namespace sorvane
