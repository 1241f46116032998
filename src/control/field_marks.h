#pragma once

#include <string>
#include <string_view>

#include "contract/analysis_settings.h"
#include "form/form1.h"

namespace sorvane {

// "used as 2" when the value used is not the number a person reads in the text
// (a decimal number with "." or "," as its decimal mark): forced into its range,
// not a number at all, or cut short ("2,5" read as 2). Empty when it is.
std::string used_as_note(std::string_view text, double used);

// Marks each numeric field collecting has just read with its note; a field it has
// not read (the "Cal area" range with "All CH") loses its mark.
void mark_numeric_fields(Form1& form, const AnalysisSettings& settings, bool cal_area_read);

}  // namespace sorvane
