#pragma once

#include "contract/analysis_settings.h"
#include "form/form1.h"

namespace sorvane {

class FileSystem;

// The factory values into the controls ("SET Default"); the record is untouched
// until the next collect. `Combo1`, the peak list and the folders stay.
void set_default(Form1& form);

// The option codes and the user text of a record just read into the controls.
void apply_settings(Form1& form, const AnalysisSettings& settings, const FileSystem& files);

// The numeric values of the record into their fields.
void show_values(Form1& form, const AnalysisSettings& settings);

// The manual peak channels into `Text7`, one per line.
void show_manual_peaks(Form1& form, const AnalysisSettings& settings);

// The text of `Text8` shows when the user text is empty.
inline constexpr std::string_view default_user_text = "user inf";

}  // namespace sorvane
