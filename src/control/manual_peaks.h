#pragma once

#include "contract/analysis_settings.h"
#include "form/form1.h"

namespace sorvane {

class Ui;

// Empties the manual peak list and `Text7`.
void clear_manual_peaks(Form1& form, AnalysisSettings& settings);

// The dialogs in which the user keeps the saved peak list or types a new one of
// up to ten channels. 0 when a list was kept or entered, -1 when not.
int input_manual_peaks(Form1& form, AnalysisSettings& settings, Ui& ui);

// The widest step allowed between two neighbouring peak channels.
inline constexpr double max_peak_span = 25.0;

}  // namespace sorvane
