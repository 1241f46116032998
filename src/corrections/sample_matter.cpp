#include "sample_matter.h"

#include <array>
#include <charconv>
#include <cmath>

namespace sorvane::corrections {
namespace {

constexpr std::array<std::string_view, 92> symbols{
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",
    "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge",
    "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd",
    "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd",
    "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg",
    "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "U"};

struct NamedComposition {
    std::string_view name;
    std::string_view by_mass;
};
constexpr std::array<NamedComposition, 2> named{{
    {"water", "H 11.19, O 88.81"},
    {"soil", "O 49, Si 31, Al 7.2, Fe 2.6, Ca 2.4, Mg 1.2, Na 1.2, K 1.5, C 2.5, N 0.2"},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

int atomic_number(std::string_view symbol) {
    for (std::size_t i = 0; i < symbols.size(); ++i)
        if (symbols[i] == symbol) return static_cast<int>(i) + 1;
    return 0;
}

std::optional<Composition> named_composition(std::string_view name) {
    for (const auto& entry : named)
        if (entry.name == name) {
            std::string unused;
            return composition_by_mass(entry.by_mass, unused);
        }
    return std::nullopt;
}

std::optional<Composition> composition_by_mass(std::string_view text, std::string& problem) {
    Composition composition;
    double sum = 0.0;
    while (!trimmed(text).empty()) {
        const auto comma = text.find(',');
        const auto part = trimmed(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const auto blank = part.find(' ');
        const auto symbol = part.substr(0, blank);
        const auto amount = trimmed(blank == std::string_view::npos ? "" : part.substr(blank));
        double share = 0.0;
        const auto [end, error] =
            std::from_chars(amount.data(), amount.data() + amount.size(), share);
        const int z = atomic_number(symbol);
        if (z == 0 || error != std::errc() || end != amount.data() + amount.size() ||
            !(share > 0.0) || !std::isfinite(share)) {
            problem = "\"" + std::string(part) + "\" is not an element symbol and a mass above 0";
            return std::nullopt;
        }
        composition.push_back({z, share});
        sum += share;
    }
    if (composition.empty()) {
        problem = "no element given";
        return std::nullopt;
    }
    for (auto& element : composition) element.mass_fraction /= sum;
    return composition;
}

}  // namespace sorvane::corrections
