#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::corrections {

struct ElementShare {
    int z = 0;
    double mass_fraction = 0.0;
};

// What a sample or standard is made of: its elements by mass (fractions summing to 1).
using Composition = std::vector<ElementShare>;

// The atomic number of an element symbol ("Ca"), 1..92; 0 when there is none such.
int atomic_number(std::string_view symbol);

// The compositions a laboratory names: "water" (H2O: H 11.19 %, O 88.81 % from the
// atomic weights 1.008 and 15.999) and "soil" (the average soil of G. Sposito, The
// Chemistry of Soils, Oxford University Press 1989, as tabulated by I. D. Pulford,
// Principles of Environmental Chemistry, RSC, ch. 5 Table 1: O 49, Si 31, Al 7.2, Fe
// 2.6, Ca 2.4, Mg 1.2, Na 1.2, K 1.5, C 2.5, N 0.2 %, scaled to 100 %). Nothing for
// another name.
std::optional<Composition> named_composition(std::string_view name);

// A custom composition by elements by mass, "Ca 40, C 12, O 48" (any positive
// numbers; they are scaled to fractions). Nothing, with the problem in words, when
// an element or a number is not understood.
std::optional<Composition> composition_by_mass(std::string_view text, std::string& problem);

}  // namespace sorvane::corrections
