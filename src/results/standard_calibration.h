#pragma once

#include <optional>
#include <string>
#include <vector>

#include "activity/efficiency_curve.h"
#include "nuclides/line_library.h"
#include "results/result_file.h"

namespace sorvane {

// What a standard's certificate says of one of its nuclides.
struct Certificate {
    std::string nuclide{};
    double activity_bq = 0.0;
    double d_activity_bq = 0.0;
    std::string date{};  // "YYYY-MM-DD HH:MM:SS"
    // Set for a certificate of one line's photon emission rate (activity_bq then
    // holds photons per second): only the library line nearest it, within
    // certified_line_tolerance_kev, takes it, with an emission probability of 1.
    std::optional<double> line_kev{};
};

// Certificates round a line's energy (QCD1: "1173", "1333" keV).
inline constexpr double certified_line_tolerance_kev = 1.0;

// The efficiency points of a standard's result: one per line found for a certified
// nuclide, with the library's emission probability and half-life; lines left out
// (shared with another nuclide, no certificate, nothing in the library) are named.
struct StandardPoints {
    std::vector<activity::EfficiencyPoint> points;
    std::vector<std::string> notes;
};

StandardPoints standard_points(const ResultModel& result, const nuclides::LineLibrary& library,
                               const std::vector<Certificate>& certificates);

// The curve and its band (one standard uncertainty) at `count` energies spread
// evenly in ln E over the curve's range, for drawing.
struct CurveSample {
    double energy_kev;
    double efficiency;
    double low;
    double high;
};
std::vector<CurveSample> sample_curve(const activity::EfficiencyCurve& curve, int count);

}  // namespace sorvane
