#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// The number texts of the fields and the control file.

// Shortest decimal form with at most 15 significant digits and a 0 before a
// leading point: 10 -> "10", 0.5 -> "0.5", -0.5 -> "-0.5".
std::string plain_number_form(double value);

// A blank for a value of zero or more ("-" otherwise), then the shortest form
// without a 0 before a leading point: 100 -> " 100", 0.5 -> " .5".
std::string signed_number_form(double value);

// How a number is printed in a list: the sign place, the plain form, a blank:
// 10 -> " 10 ", -2.5 -> "-2.5 ".
std::string list_print_form(double value);

// At least `integer_digits` zero-padded integer digits and exactly `decimals`
// decimals, the value taken to the nearer neighbour, halves away from zero:
// (100, 5, 0) -> "00100", (2.6, 2, 2) -> "02.60", (-3, 5, 2) -> "-00003.00".
std::string zero_padded(double value, int integer_digits, int decimals);

// Ten significant digits, as printf's "%.10g" in the C locale whatever the locale
// of the program: 0.05 -> "0.05", 1e-12 -> "1e-12", 12345678901 -> "1.23456789e+10".
// The numbers of the nuclide settings file and fields, and a fit's parameters.
std::string ten_digit_form(double value);

// The pattern "00 ": at least two digits, then a blank.
std::string two_digit_code(std::int16_t value);

// The pattern " ####0.00" of the manual peak list: a blank, then at least one
// integer digit and two decimals: 123.4 -> " 123.40".
std::string peak_channel_form(double value);

// The lenient parse of what a person typed: blanks, tabs and line feeds anywhere
// are ignored, the longest leading decimal number is taken ("&H" and "&O" start
// hexadecimal and octal numbers), and a text without one, or with a number too
// large for a double, is 0.
double lenient_number(std::string_view text);

}  // namespace sorvane
