#include "pipeline/chain_support.h"

#include <array>
#include <utility>

namespace sorvane {
namespace {

// The decay chains as the bundled nuclides file's notes give them (DDEP/LNHB decay
// schemes). The parent is the nearest one whose half-life is long against the
// members' and against a sample's storage: Ra-226 (1600 y) for Rn-222's progeny,
// U-238 for Th-234 and Pa-234m (Th-234's 24 d is short against U-238), Th-228
// (1.91 y) for Ra-224 and Rn-220's progeny, Ra-228 for Ac-228. Ra-228 emits no
// usable gamma line and is not in the library: its half-life, 5.75 (3) y, is the
// DDEP/LARA value the Ac-228 note cites.
constexpr std::array<std::pair<std::string_view, ChainParent>, 9> chain_members{{
    {"Pb-214", {"Ra-226"}},
    {"Bi-214", {"Ra-226"}},
    {"Th-234", {"U-238"}},
    {"Pa-234m", {"U-238"}},
    {"Ac-228", {"Ra-228", 5.75, 0.03}},
    {"Ra-224", {"Th-228"}},
    {"Pb-212", {"Th-228"}},
    {"Bi-212", {"Th-228"}},
    {"Tl-208", {"Th-228"}},
}};

}  // namespace

std::optional<ChainParent> supporting_parent(std::string_view member) {
    for (const auto& [name, parent] : chain_members)
        if (name == member) return parent;
    return std::nullopt;
}

}  // namespace sorvane
