#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "results/result_model.h"

namespace sorvane {

// How a field of the model is written and read back.
enum class FieldForm {
    general,  // number_text, "-" for none
    fixed3,   // 3 decimals, "-" for none
    whole,    // an integer, "-" for none
    text,     // a key's value as it stands
    cell,     // a table cell: "-" when empty, blanks as "_"
    yes_no,   // "yes" or "no", "-" for none
    verdict,  // the verdict's word
    numbers,  // blank-separated numbers, "-" for none
    repeated  // one key line per list of numbers
};

// One key of a "key = value" section or one column of a table: its name in the
// result, the model's field and its form. The writer and the reader both go by
// these lists, so a key or column is added in one place (docs/result-model.md).
template <class Part>
struct ResultField {
    using Member = std::variant<Number Part::*, std::string Part::*, std::optional<bool> Part::*,
                                Verdict Part::*, std::vector<double> Part::*,
                                std::vector<std::vector<double>> Part::*>;
    std::string_view name;
    Member member;
    FieldForm form;
    bool optional = false;  // a key: left out when it has no value; a column: written only
                            // with identification ([peaks]) or activities (the nuclide tables)
};

std::span<const ResultField<SpectrumPart>> spectrum_keys();
std::span<const ResultField<CalibrationPart>> calibration_keys();
std::span<const ResultField<OptionsPart>> options_keys();
std::span<const ResultField<PeakRow>> peak_columns();
std::span<const ResultField<NuclideRow>> nuclide_columns();
std::span<const ResultField<NuclideLineRow>> nuclide_line_columns();
std::span<const ResultField<UnexplainedRow>> unexplained_columns();
std::span<const ResultField<BudgetRow>> budget_columns();

// The field's value as the result writes it; empty for a repeated field.
template <class Part>
std::string field_text(const Part& part, const ResultField<Part>& field);

// Takes the value of one key line or cell into the model (a repeated field gains a
// list); a text that is no value of the field's form leaves it none.
template <class Part>
void read_field(Part& part, const ResultField<Part>& field, std::string_view text);

// Rounds the field's numbers to the digits the result writes of them.
template <class Part>
void round_as_written(Part& part, const ResultField<Part>& field);

// Whether the field holds no value (none, empty text or list).
template <class Part>
bool field_absent(const Part& part, const ResultField<Part>& field);

// The names of a table's columns: every column, or every one but the optional.
template <class Row>
std::vector<std::string> column_names(std::span<const ResultField<Row>> fields, bool with_optional);

// Blank-separated words of a line.
std::vector<std::string> result_words(std::string_view line);

// Numbers the way results write them: "." as decimal point whatever the locale.
std::optional<double> parse_number(std::string_view text);

// The numbers a field starts with, up to the first word that is not one.
std::vector<double> leading_numbers(std::string_view text);

}  // namespace sorvane
