#include "results/certificate_calibration.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace sorvane {
namespace {

std::string formatted(const char* format, double a, double b = 0.0, double c = 0.0,
                      double d = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

std::string quantity_text(const activity::CertifiedValue& value) {
    return value.quantity == activity::CertifiedQuantity::photon_rate
               ? value.nuclide + formatted(" %.2f keV: %.6g +- %.3g photons/s", *value.energy_kev,
                                           value.value, value.standard_uncertainty)
               : value.nuclide +
                     formatted(": %.6g +- %.3g Bq", value.value, value.standard_uncertainty);
}

void report_certificate(const std::vector<activity::CertifiedValue>& values,
                        const ResultModel& standard, std::vector<std::string>& report) {
    report.push_back("certificate (standard uncertainties, k = 1):");
    std::set<std::string> zones, times;
    for (const activity::CertifiedValue& value : values) {
        report.push_back("  " + quantity_text(value) + " at " + value.reference_time +
                         (value.time_zone.empty() ? "" : " " + value.time_zone) + " (" +
                         value.taken + ")");
        zones.insert(value.time_zone.empty() ? "no zone named" : value.time_zone);
        times.insert(value.reference_time);
    }
    std::string zone_list;
    for (const std::string& zone : zones) zone_list += (zone_list.empty() ? "" : ", ") + zone;
    report.push_back("times: the certificate's reference time (" + zone_list +
                     ") and the spectrum's start (" +
                     (standard.spectrum.start.empty() ? "not given" : standard.spectrum.start) +
                     ", no zone in the spectrum) are taken in one time zone; no zone is "
                     "converted");
}

std::vector<LineResidual> residuals_of(const activity::EfficiencyCurve& curve) {
    std::vector<LineResidual> out;
    for (const activity::EfficiencyPoint& p : curve.fitted) {
        const double on_curve = activity::evaluate_efficiency(curve, p.energy_kev).efficiency;
        if (!(on_curve > 0.0)) continue;
        out.push_back({p.nuclide, p.energy_kev, p.efficiency, p.d_efficiency, on_curve,
                       p.efficiency / on_curve - 1.0,
                       std::log(p.efficiency / on_curve) / (p.d_efficiency / p.efficiency)});
    }
    return out;
}

void report_curve(const CertificateCalibration& calibration, std::vector<std::string>& report) {
    const activity::EfficiencyCurve& curve = calibration.fit.curve;
    report.push_back(formatted("curve: ln(eff) = sum a_k x^k, x = ln(E / %.4f keV), order %.0f, "
                               "%.0f points,",
                               curve.reference_energy_kev, curve.order, curve.points) +
                     formatted(" %.1f to %.1f keV", curve.energy_min_kev, curve.energy_max_kev));
    for (std::size_t k = 0; k < curve.coefficients.size(); ++k) {
        const std::size_t n = curve.coefficients.size();
        const double variance =
            curve.covariance.size() == n * n ? curve.covariance[k * n + k] : 0.0;
        report.push_back(formatted("  a%.0f = %.8g +- %.3g", static_cast<double>(k),
                                   curve.coefficients[k], std::sqrt(std::max(variance, 0.0))));
    }
    report.push_back(formatted("reduced chi-square: %.3f (%.0f degrees of freedom)",
                               curve.chi2_reduced,
                               static_cast<double>(curve.points - curve.order - 1)));
    const bool summing = calibration.summing_rounds > 0;
    report.push_back(std::string("residuals:  nuclide      energy_keV   efficiency   d_eff(%)   "
                                 "curve        point/curve-1(%)  normalised") +
                     (summing ? "   summing  d_summing" : ""));
    for (const LineResidual& r : calibration.residuals) {
        char text[240];
        const int n = std::snprintf(
            text, sizeof text, "  %-10s %12.3f %12.5e %9.2f %12.5e %14.2f %13.2f",
            r.nuclide.c_str(), r.energy_kev, r.efficiency, 100.0 * r.d_efficiency / r.efficiency,
            r.curve, 100.0 * r.relative_difference, r.normalised);
        if (summing && n > 0 && static_cast<std::size_t>(n) < sizeof text)
            std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), " %9.4f %10.4f",
                          r.summing_factor, r.d_summing_factor);
        report.push_back(text);
    }
}

void report_summing(const SummedFit& summed, const SummingInputs& summing,
                    std::vector<std::string>& report) {
    const corrections::PeakToTotalCurve& pt = summing.peak_to_total;
    report.push_back(
        formatted("summing: each line divided by its true-coincidence summing factor (cascades "
                  "and peak-to-total curve, %.1f to %.1f keV, %.1f %% scatter); ",
                  pt.energy_min_kev, pt.energy_max_kev, 100.0 * pt.relative_uncertainty) +
        formatted(summed.settled ? "%.0f rounds, the factors settled within %.0e (last change "
                                   "%.1e)"
                                 : "%.0f rounds, the factors still moving by more than %.0e "
                                   "(last change %.1e)",
                  summed.rounds, summing_factor_tolerance, summed.last_change));
    if (summed.uncorrected.empty()) return;
    std::string names;
    for (const std::string& name : summed.uncorrected) names += (names.empty() ? "" : ", ") + name;
    report.push_back("summing: no cascade, taken as free of summing (factor 1): " + names);
}

}  // namespace

std::vector<Certificate> certificates_of(const std::vector<activity::CertifiedValue>& values) {
    std::vector<Certificate> out;
    for (const activity::CertifiedValue& value : values) {
        Certificate certificate{value.nuclide, value.value, value.standard_uncertainty,
                                value.reference_time, std::nullopt};
        if (value.quantity == activity::CertifiedQuantity::photon_rate)
            certificate.line_kev = value.energy_kev;
        out.push_back(certificate);
    }
    return out;
}

CertificateCalibration calibrate_from_certificate(
    const ResultModel& standard, const nuclides::LineLibrary& library,
    const std::vector<activity::CertifiedValue>& values, int order,
    const std::string& standard_name, NuclideCorrelation correlation,
    const SummingInputs* summing) {
    CertificateCalibration out;
    report_certificate(values, standard, out.report);
    out.points = standard_points(standard, library, certificates_of(values));
    out.report.push_back(correlation == NuclideCorrelation::shared
                             ? "correlation: the certified uncertainties are shared by every "
                               "line of the standard (one preparation)"
                             : "correlation: the lines of a nuclide share its certified "
                               "uncertainty; the nuclides' are independent of each other");
    if (correlation == NuclideCorrelation::shared)
        for (activity::EfficiencyPoint& point : out.points.points)
            for (const activity::CertifiedValue& value : values)
                if (value.nuclide == point.nuclide) {
                    point.standard_relative = value.standard_uncertainty / value.value;
                    break;
                }
    for (const std::string& note : out.points.notes) out.report.push_back("note: " + note);
    if (!summing) {
        out.fit = activity::fit_efficiency(out.points.points, order, standard_name);
    } else {
        const SummedFit summed =
            fit_with_summing(out.points.points, order, standard_name, *summing);
        out.fit = summed.fit;
        out.summing_rounds = summed.rounds;
        report_summing(summed, *summing, out.report);
        out.residuals = residuals_of(out.fit.curve);
        for (LineResidual& r : out.residuals)
            for (const SummedPoint& p : summed.points)
                if (p.point.nuclide == r.nuclide && p.point.energy_kev == r.energy_kev) {
                    r.summing_factor = p.factor;
                    r.d_summing_factor = p.d_factor;
                }
    }
    if (!out.fit.problem.empty()) {
        out.report.push_back("no curve: " + out.fit.problem);
        return out;
    }
    if (!summing) out.residuals = residuals_of(out.fit.curve);
    report_curve(out, out.report);
    return out;
}

}  // namespace sorvane
