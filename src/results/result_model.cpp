#include "results/result_model.h"

#include <algorithm>
#include <array>

#include "contract/result_schema.h"
#include "results/result_fields.h"

namespace sorvane {
namespace {

namespace words = result_schema::verdict_word;

constexpr std::array<std::pair<Verdict, std::string_view>, 6> verdict_words{{
    {Verdict::detected, words::detected},
    {Verdict::not_detected, words::not_detected},
    {Verdict::no_efficiency, words::no_efficiency},
    {Verdict::outside_curve, words::outside_curve},
    {Verdict::not_computable, words::not_computable},
    {Verdict::no_energy_calibration, words::no_energy_calibration},
}};

std::span<const ResultField<PeakRow>> fields_of(const PeakRow*) {
    return peak_columns();
}
std::span<const ResultField<NuclideRow>> fields_of(const NuclideRow*) {
    return nuclide_columns();
}
std::span<const ResultField<NuclideLineRow>> fields_of(const NuclideLineRow*) {
    return nuclide_line_columns();
}
std::span<const ResultField<UnexplainedRow>> fields_of(const UnexplainedRow*) {
    return unexplained_columns();
}
std::span<const ResultField<BudgetRow>> fields_of(const BudgetRow*) {
    return budget_columns();
}

template <class Row>
const ResultField<Row>* field_named(std::string_view name) {
    for (const auto& field : fields_of(static_cast<const Row*>(nullptr)))
        if (field.name == name) return &field;
    return nullptr;
}

}  // namespace

std::string value_of(const NamedValues& values, std::string_view name) {
    for (const auto& [key, value] : values)
        if (key == name) return value;
    return {};
}

std::string_view verdict_word(Verdict verdict) {
    for (const auto& [v, word] : verdict_words)
        if (v == verdict) return word;
    return "-";
}

Verdict verdict_of_word(std::string_view word) {
    for (const auto& [v, known] : verdict_words)
        if (known == word) return v;
    return Verdict::none;
}

template <class Row>
std::optional<std::size_t> ResultRows<Row>::column(std::string_view name) const {
    const auto found = std::find(columns.begin(), columns.end(), name);
    if (found == columns.end()) return std::nullopt;
    return static_cast<std::size_t>(found - columns.begin());
}

template <class Row>
std::string ResultRows<Row>::cell(std::size_t row, std::string_view name) const {
    const ResultField<Row>* field = field_named<Row>(name);
    if (!field || row >= rows.size() || !column(name)) return {};
    return field_text(rows[row], *field);
}

template <class Row>
Number ResultRows<Row>::number(std::size_t row, std::string_view name) const {
    return parse_number(cell(row, name));
}

template struct ResultRows<PeakRow>;
template struct ResultRows<NuclideRow>;
template struct ResultRows<NuclideLineRow>;
template struct ResultRows<UnexplainedRow>;
template struct ResultRows<BudgetRow>;

}  // namespace sorvane
