#pragma once

#include <algorithm>
#include <vector>

#include "nuclides/line_library.h"

namespace sorvane::test {

// A library line as the tests write it: nuclide, keV and emission probability in %.
struct Line {
    const char* nuclide;
    double energy;
    double percent;
};

// A library of those lines in energy order, as the loader sorts them.
inline nuclides::LineLibrary library_of(const std::vector<Line>& lines) {
    nuclides::LineLibrary library;
    for (const Line& l : lines)
        library.lines.push_back({l.nuclide, l.energy, 0.0, l.percent, 0.0, "DDEP"});
    std::sort(library.lines.begin(), library.lines.end(),
              [](const nuclides::GammaLine& a, const nuclides::GammaLine& b) {
                  return a.energy < b.energy;
              });
    return library;
}

}  // namespace sorvane::test
