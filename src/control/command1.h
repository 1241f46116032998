#pragma once

#include <optional>

#include "contract/analysis_settings.h"
#include "control/batch_run.h"
#include "form/form1.h"

namespace sorvane {

// What a run asks of the batch, from the window's controls and the collected
// settings: type, conversion, folders, runtime and the selected raw files.
BatchRequest batch_request(const Form1& form, const AnalysisSettings& settings,
                           const FileSystem& fs);

// "GO": collects and checks the settings (stopping on a negative status, with the
// message already shown), shows the hourglass, takes the folders from the
// directory fields and the file type from the type selector, and runs the batch:
// conversion, control file, runtime, wait, control file again. The pointer is
// back to normal when it returns. Nothing when the settings stopped the run.
std::optional<BatchReport> Command1_Click(Form1& form, AnalysisSettings& settings,
                                          Spectrum& spectrum, FileSystem& fs, Process& process,
                                          Ui& ui, BatchTiming timing = {});

}  // namespace sorvane
