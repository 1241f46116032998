#pragma once

#include <string>
#include <vector>

#include "results/result_file.h"

namespace sorvane {

// The "[options]" lines of a result as a person reads them: each code with the
// window's own words beside it ("pk_search = 0" becomes "PK search: Auto
// (pk_search = 0)"); lines without words of their own stay as they are.
std::vector<std::string> options_in_words(const NamedValues& options);

}  // namespace sorvane
