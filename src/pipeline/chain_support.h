#pragma once

#include <optional>
#include <string_view>

namespace sorvane {

// The long-lived nuclide that supports a short-lived member of a natural decay chain
// in secular equilibrium (Bi-214 by Ra-226, Tl-208 by Th-228 ...).
struct ChainParent {
    std::string_view name;
    // The parent's half-life in years for a parent the line library does not list
    // (it has no usable gamma line of its own); 0 where the library gives it.
    double half_life_years = 0.0;
    double d_half_life_years = 0.0;
};

// None for a nuclide that is not such a member.
std::optional<ChainParent> supporting_parent(std::string_view member);

}  // namespace sorvane
