#pragma once

#include <string>
#include <vector>

#include "contract/nuclide_settings.h"
#include "results/result_model.h"

namespace sorvane {

// What the printable page of one spectrum shows.
struct ReportInput {
    std::string name;         // the base name
    std::string description;  // the sample's, from the spectrum file
    // The result the page shows: its spectrum, calibrations, line library and, when
    // the activities were computed, the nuclide table.
    const ResultModel* result = nullptr;
    std::string svg;      // the plot, inlined; empty for none
    std::string program;  // "Sorvane 2.1.8"
    // The laboratory's header, the sample and the coverage factor; none: a bare page.
    const NuclideSettings* settings = nullptr;
};

// B.html: one self-contained page (no scripts, no files beside it) laid out for A4:
// the sample, its times, the calibrations used, the nuclide table with activities,
// limits and budget, and the plot.
std::string report_page(const ReportInput& input);

}  // namespace sorvane
