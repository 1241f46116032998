#pragma once

#include <string>

namespace sorvane {

// The number forms of B.res, "." as decimal point whatever the locale:
// 8 significant digits ("nan", "inf" and "-inf" as such, 0 as "0").
std::string number_text(double value);
// A fixed count of decimals, as printf's "%.*f".
std::string fixed_text(double value, int decimals);
// A whole count as an integer, else as number_text.
std::string count_text(double count);

}  // namespace sorvane

namespace sorvane {

// The value a reader gets back from a number written with so many significant
// digits (or decimals): the model holds what its file states, so that what is drawn
// from the model and what is drawn from the file cannot differ.
double as_written(double value, int significant_digits);
double as_written_fixed(double value, int decimals);

}  // namespace sorvane
