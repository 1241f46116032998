#include "results/standard_calibration.h"

#include <cmath>
#include <cstdio>

#include "activity/decay.h"
#include "activity/standard_points.h"

namespace sorvane {
namespace {

// The certificate of a nuclide's line: its activity's, or that of the line's own
// photon rate; `rated` says whether the nuclide has photon rates at all.
const Certificate* certificate_of(const std::vector<Certificate>& certificates,
                                  const std::string& nuclide, double energy, bool& rated) {
    const Certificate* best = nullptr;
    rated = false;
    for (const Certificate& c : certificates) {
        if (c.nuclide != nuclide || !(c.activity_bq > 0.0)) continue;
        if (!c.line_kev) return &c;
        rated = true;
        const double off = std::fabs(*c.line_kev - energy);
        if (off <= certified_line_tolerance_kev &&
            (!best || off < std::fabs(*best->line_kev - energy)))
            best = &c;
    }
    return best;
}

// The library line of a nuclide at a result's energy (the result rounds it).
const nuclides::GammaLine* library_line(const nuclides::LineLibrary& library,
                                        const std::string& nuclide, double energy) {
    const nuclides::GammaLine* best = nullptr;
    for (const nuclides::GammaLine* line : library.lines_of(nuclide))
        if (std::fabs(line->energy - energy) < 0.01 &&
            (!best || std::fabs(line->energy - energy) < std::fabs(best->energy - energy)))
            best = line;
    return best;
}

std::optional<std::size_t> peak_row(const ResultModel& result, const Number& number) {
    if (!number) return std::nullopt;
    for (std::size_t row = 0; row < result.peaks.rows.size(); ++row)
        if (result.peaks.rows[row].no == number) return row;
    return std::nullopt;
}

std::string line_name(const std::string& nuclide, double energy) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %.1f keV", nuclide.c_str(), energy);
    return text;
}

}  // namespace

StandardPoints standard_points(const ResultModel& result, const nuclides::LineLibrary& library,
                               const std::vector<Certificate>& certificates) {
    StandardPoints out;
    const auto& live = result.spectrum.live_time;
    const auto& real = result.spectrum.real_time;
    const auto start = activity::seconds_of_date(result.spectrum.start);
    if (!live || !(*live > 0.0)) {
        out.notes.push_back("the result gives no live time");
        return out;
    }
    for (const NuclideLineRow& row : result.nuclide_lines.rows) {
        const std::string& nuclide = row.nuclide;
        const auto& energy = row.energy;
        const std::string& status = row.status;
        if (!energy || status == "missing") continue;
        const std::string name = line_name(nuclide, *energy);
        bool rated = false;
        const Certificate* certificate = certificate_of(certificates, nuclide, *energy, rated);
        if (!certificate) {
            // Not in the standard, or no activity given yet; a line without its own rate is named.
            if (rated)
                out.notes.push_back(name + ": left out, the certificate gives no rate of it");
            continue;
        }
        if (status != "found") {
            out.notes.push_back(name + ": left out, its peak is shared with another nuclide");
            continue;
        }
        const auto peak = peak_row(result, row.peak);
        const nuclides::GammaLine* gamma = library_line(library, nuclide, *energy);
        const nuclides::NuclideFacts* facts = library.facts(nuclide);
        const auto date = activity::seconds_of_date(certificate->date);
        if (!peak || !gamma || !facts || !date || !start) {
            out.notes.push_back(name + ": left out, " +
                                (!peak    ? "its peak is not in the result"
                                 : !gamma ? "the line is not in the library"
                                 : !facts ? "the library gives no half-life"
                                 : !date  ? "the certificate date is not YYYY-MM-DD HH:MM:SS"
                                          : "the result gives no start date"));
            continue;
        }
        activity::StandardLine line;
        line.nuclide = nuclide;
        line.energy_kev = gamma->energy;
        // Net of the background the runtime took off, as the activities are.
        const PeakRow& fitted = result.peaks.rows[*peak];
        line.net_area = fitted.area.value_or(0.0) - fitted.background_counts.value_or(0.0);
        line.d_area =
            std::hypot(fitted.d_area.value_or(0.0), fitted.d_background_counts.value_or(0.0));
        line.live_time_s = *live;
        line.real_time_s = real.value_or(*live);
        line.certified_activity_bq = certificate->activity_bq;
        line.d_certified_activity_bq = certificate->d_activity_bq;
        line.start_after_certificate_s = *start - *date;
        // A certified photon rate already holds the emission probability.
        line.emission_probability = certificate->line_kev ? 1.0 : gamma->probability / 100.0;
        line.d_emission_probability = certificate->line_kev ? 0.0 : gamma->d_probability / 100.0;
        line.half_life_s = facts->half_life_seconds();
        line.d_half_life_s =
            facts->half_life > 0.0 ? facts->d_half_life * line.half_life_s / facts->half_life : 0.0;
        const activity::EfficiencyPoint point = activity::standard_efficiency_point(line);
        if (point.efficiency > 0.0)
            out.points.push_back(point);
        else
            out.notes.push_back(name + ": left out, no positive area");
    }
    return out;
}

std::vector<CurveSample> sample_curve(const activity::EfficiencyCurve& curve, int count) {
    std::vector<CurveSample> samples;
    if (count < 2 || !(curve.energy_min_kev > 0.0) ||
        !(curve.energy_max_kev > curve.energy_min_kev))
        return samples;
    const double low = std::log(curve.energy_min_kev);
    const double step = (std::log(curve.energy_max_kev) - low) / (count - 1);
    for (int i = 0; i < count; ++i) {
        const double energy = std::exp(low + step * i);
        const activity::EfficiencyValue value = activity::evaluate_efficiency(curve, energy);
        const double spread = std::exp(value.relative_uncertainty);
        samples.push_back(
            {energy, value.efficiency, value.efficiency / spread, value.efficiency * spread});
    }
    return samples;
}

}  // namespace sorvane
