#pragma once

#include <string>
#include <vector>

#include "contract/nuclide_settings.h"
#include "pipeline/activity_step.h"
#include "pipeline/analyse_spectrum.h"
#include "pipeline/result_building.h"

namespace sorvane {

// What the printable page of one spectrum shows.
struct ReportInput {
    std::string name;         // the base name
    std::string description;  // the sample's, from the spectrum file
    const SpectrumFacts* facts = nullptr;
    const SpectrumAnalysis* analysis = nullptr;
    const ActivityResult* activity = nullptr;
    std::vector<std::string> calibration_notes;  // recalibration, line library ...
    std::string svg;                             // the plot, inlined; empty for none
    std::string program;                         // "Sorvane 2.1.8"
    // The laboratory's header, the sample and the coverage factor; none: a bare page.
    const NuclideSettings* settings = nullptr;
};

// B.html: one self-contained page (no scripts, no files beside it) laid out for A4:
// the sample, its times, the calibrations used, the nuclide table with activities,
// limits and budget, and the plot.
std::string report_page(const ReportInput& input);

}  // namespace sorvane
