#pragma once

#include "pipeline/activity_step.h"
#include "pipeline/nuclide_step.h"
#include "results/result_model.h"

namespace sorvane {

// What identification adds to a result: the recalibration in [calibration], the
// "nuclide" column of [peaks], and the tables [nuclides], [nuclide lines] and
// [unexplained peaks]; with activities, their keys and columns and [activity budget].
void add_nuclide_results(ResultModel& model, const NuclideRun& run, const NuclideFindings& findings,
                         const SpectrumAnalysis& analysis,
                         const ActivityResult* activity = nullptr);

}  // namespace sorvane
