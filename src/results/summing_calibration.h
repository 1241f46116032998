#pragma once

#include <memory>
#include <string>
#include <vector>

#include "activity/efficiency_curve.h"
#include "corrections/cascade_data.h"
#include "corrections/peak_to_total.h"
#include "corrections/self_attenuation.h"

namespace sorvane {

// What correcting a standard's lines for true-coincidence summing needs: the
// detector's peak-to-total curve (its total efficiency follows from the peak
// efficiency) and the decay cascades of the standard's nuclides.
struct SummingInputs {
    corrections::PeakToTotalCurve peak_to_total;
    corrections::CascadeLibrary cascades;
    // The standard's jar on the end cap: its factors averaged over these cells, as the
    // runtime's are over the sample's. None: the curve's mean efficiencies alone.
    std::shared_ptr<const corrections::SampleCells> cells = nullptr;
};

// The factors need the curve and the curve needs the corrected points: fit, work out
// every line's factor from the curve, divide, fit again; at most this many rounds,
// fewer once no factor moves by more than summing_factor_tolerance.
inline constexpr int summing_rounds = 5;
inline constexpr double summing_factor_tolerance = 1e-4;

// A line's factor is taken from its cascade's transition within this.
inline constexpr double summing_line_match_kev = 0.5;

struct SummedPoint {
    activity::EfficiencyPoint point;  // corrected: efficiency / factor, factor's u added
    double factor = 1.0;
    double d_factor = 0.0;
    bool corrected = false;  // false: no cascade holds the line (factor 1)
};

struct SummedFit {
    activity::EfficiencyFit fit;      // the curve of the corrected points
    std::vector<SummedPoint> points;  // one per point given, in its order
    int rounds = 0;
    bool settled = false;                  // the last round moved no factor beyond the tolerance
    double last_change = 0.0;              // the largest change of a factor in the last round
    std::vector<std::string> uncorrected;  // names of lines (or nuclides) left at factor 1
};

SummedFit fit_with_summing(const std::vector<activity::EfficiencyPoint>& points, int order,
                           const std::string& standard, const SummingInputs& summing);

// The peak efficiency of `curve` at any energy; beyond the fitted range the curve
// goes on straight in ln eff against ln E, at its slope at that end (cascades reach
// below and above a standard's lines: K X-rays, 2.6 MeV), except that below the range
// it never rises: a curve still rising toward low energy is held at its end.
double extended_efficiency(const activity::EfficiencyCurve& curve, double energy_kev);

}  // namespace sorvane
