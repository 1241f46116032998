#include "pipeline/peak_flags.h"

#include <array>
#include <cmath>
#include <functional>

#include "analysis/peak_shape.h"
#include "pipeline/analyse_spectrum.h"

namespace sorvane {
namespace {

using analysis::WidthCalibration;

constexpr double annihilation_kev = 511.0;  // electron rest energy (rounded from 510.999)
// A peak this much wider than the calibration (beyond three of its uncertainties) is no
// single line.
constexpr double broad_excess = 0.15;
// A line whose area is at least this multiple of a peak's, and itself clearly a
// peak, may explain it as its escape or sum.
constexpr double strong_ratio = 3.0;
constexpr double strong_significance = 10.0;

struct FlagContext {
    std::span<const ReportedPeak> peaks;
    const WidthCalibration& width;
};

using FlagRule = std::function<bool(const ReportedPeak&, const FlagContext&)>;

// Energies agree within three combined standard deviations, or half the peak's FWHM
// where the energy calibration's own curvature may shift a line.
bool same_energy(const ReportedPeak& peak, double energy, double d_energy) {
    const double allowed = std::max(3.0 * std::hypot(peak.d_energy, d_energy), 0.5 * peak.fwhm_kev);
    return std::fabs(peak.energy - energy) <= allowed;
}

bool strong_against(const ReportedPeak& parent, const ReportedPeak& peak) {
    return &parent != &peak && parent.fit.area >= strong_ratio * peak.fit.area &&
           parent.fit.area >= strong_significance * parent.fit.d_area;
}

bool escape_of(const ReportedPeak& peak, const FlagContext& context, double lost) {
    for (const auto& parent : context.peaks)
        if (strong_against(parent, peak) && parent.energy > 2.0 * annihilation_kev &&
            same_energy(peak, parent.energy - lost, parent.d_energy))
            return true;
    return false;
}

bool sum_of_two(const ReportedPeak& peak, const FlagContext& context) {
    for (std::size_t i = 0; i < context.peaks.size(); ++i) {
        const auto& one = context.peaks[i];
        if (!strong_against(one, peak)) continue;
        for (std::size_t j = i; j < context.peaks.size(); ++j) {
            const auto& two = context.peaks[j];
            if (strong_against(two, peak) &&
                same_energy(peak, one.energy + two.energy, std::hypot(one.d_energy, two.d_energy)))
                return true;
        }
    }
    return false;
}

bool broad(const ReportedPeak& peak, const FlagContext& context) {
    const double calibrated = context.width.fwhm(peak.fit.centroid);
    const double excess = peak.fit.fwhm / calibrated - 1.0;
    return !peak.fit.width_fixed && excess > broad_excess &&
           excess > 3.0 * peak.fit.d_fwhm / calibrated;
}

bool at_limit(const ReportedPeak& peak, const FlagContext& context) {
    auto near = [](double value, double limit) {
        return std::fabs(value - limit) <= 1e-3 * std::fabs(limit);
    };
    const double scale = peak.fit.fwhm / context.width.fwhm(peak.fit.centroid);
    const bool tail = peak.fit.tail_fitted && (near(peak.fit.tail, analysis::min_tail) ||
                                               near(peak.fit.tail, analysis::max_tail));
    const bool high_tail =
        peak.fit.high_tail_fitted && (near(peak.fit.high_tail, analysis::min_tail) ||
                                      near(peak.fit.high_tail, analysis::max_tail));
    const bool width = !peak.fit.width_fixed && (near(scale, analysis::max_width_factor) ||
                                                 near(scale, 1.0 / analysis::max_width_factor));
    return tail || high_tail || width;
}

struct FlagEntry {
    PeakFlag flag;
    FlagRule applies;
    bool needs_energy = false;
};

const std::array<FlagEntry, 12>& flag_table() {
    static const std::array<FlagEntry, 12> table{{
        {{'M', "manual peak: placed at a channel the user gave"},
         [](const ReportedPeak& p, const FlagContext&) { return p.fit.manual; }},
        {{'D', "member of a multiplet: fitted together with neighbouring peaks"},
         [](const ReportedPeak& p, const FlagContext&) { return p.fit.multiplet; }},
        {{'W', "width fixed to the width calibration"},
         [](const ReportedPeak& p, const FlagContext&) { return p.fit.width_fixed; }},
        {{'T', "low-energy tail fitted"},
         [](const ReportedPeak& p, const FlagContext&) { return p.fit.tail_fitted; }},
        {{'N', "the fit did not converge: area and uncertainty are doubtful"},
         [](const ReportedPeak& p, const FlagContext&) { return !p.converged; }},
        {{'B',
          "broader than the width calibration allows for a single line (Doppler "
          "broadening, unresolved multiplet)"},
         broad},
        {{'A', "at the 511 keV annihilation line"},
         [](const ReportedPeak& p, const FlagContext&) {
             return same_energy(p, annihilation_kev, 0.0);
         },
         true},
        {{'E', "at the single escape of a stronger line above 1022 keV (its energy less 511 keV)"},
         [](const ReportedPeak& p, const FlagContext& c) {
             return escape_of(p, c, annihilation_kev);
         },
         true},
        {{'F',
          "at the double escape of a stronger line above 1022 keV (its energy less "
          "1022 keV)"},
         [](const ReportedPeak& p, const FlagContext& c) {
             return escape_of(p, c, 2.0 * annihilation_kev);
         },
         true},
        {{'S', "at the sum of two stronger lines"}, sum_of_two, true},
        {{'L', "a shape parameter (tail or width) at its limit"}, at_limit},
        {{'H', "high-energy tail fitted (pile-up)"},
         [](const ReportedPeak& p, const FlagContext&) { return p.fit.high_tail_fitted; }},
    }};
    return table;
}

}  // namespace

std::span<const PeakFlag> peak_flag_legend() {
    static const auto legend = [] {
        std::array<PeakFlag, 12> letters{};
        for (std::size_t i = 0; i < letters.size(); ++i) letters[i] = flag_table()[i].flag;
        return letters;
    }();
    return legend;
}

void assign_flags(std::span<ReportedPeak> peaks, const WidthCalibration& width,
                  bool energies_known) {
    const FlagContext context{peaks, width};
    for (auto& peak : peaks) {
        std::string flags;
        for (const auto& entry : flag_table())
            if ((energies_known || !entry.needs_energy) && entry.applies(peak, context))
                flags += entry.flag.letter;
        peak.flags = flags.empty() ? "-" : flags;
    }
}

}  // namespace sorvane
