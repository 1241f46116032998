#pragma once

#include <string>
#include <vector>

#include "activity/certificate_file.h"
#include "activity/efficiency_curve.h"
#include "nuclides/line_library.h"
#include "results/result_model.h"
#include "results/standard_calibration.h"
#include "results/summing_calibration.h"

namespace sorvane {

// A certificate file's rows as the standard's certificates: activities in Bq, or a
// line's photon rate, each with its standard uncertainty. The certificate's time
// zone is dropped: reference and start times are taken as one zone.
std::vector<Certificate> certificates_of(const std::vector<activity::CertifiedValue>& values);

// One line of the fitted standard: its point against the curve.
struct LineResidual {
    std::string nuclide;
    double energy_kev = 0.0;
    double efficiency = 0.0;
    double d_efficiency = 0.0;
    double curve = 0.0;
    double relative_difference = 0.0;  // point / curve - 1
    double normalised = 0.0;           // ln(point / curve) / (d_eff / eff)
    // The point's true-coincidence summing factor (efficiency and d_eff are divided
    // by it); 1 when not corrected.
    double summing_factor = 1.0;
    double d_summing_factor = 0.0;
};

struct CertificateCalibration {
    StandardPoints points;
    activity::EfficiencyFit fit;
    std::vector<LineResidual> residuals;  // when fitted
    int summing_rounds = 0;               // 0: no summing correction
    std::vector<std::string> report;      // lines to print, without line ends
};

// How the certified uncertainties of a mixed standard's nuclides relate: each its
// own (the certificate states one per nuclide), or all one (one preparation, one
// dilution: the error is shared by every line of the standard).
enum class NuclideCorrelation { independent, shared };

// The efficiency curve of a standard's analysed result and the chosen rows of its
// certificate (decayed to the spectrum's start), with a report of what was taken
// from the certificate, the time zones, the curve and each line's residual. The
// lines of one nuclide always share its certified uncertainty. With `summing`, the
// lines are corrected for true-coincidence summing first (fit_with_summing) and the
// report gives each line's factor beside its residual.
CertificateCalibration calibrate_from_certificate(
    const ResultModel& standard, const nuclides::LineLibrary& library,
    const std::vector<activity::CertifiedValue>& values, int order,
    const std::string& standard_name,
    NuclideCorrelation correlation = NuclideCorrelation::independent,
    const SummingInputs* summing = nullptr);

}  // namespace sorvane
