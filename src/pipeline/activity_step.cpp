#include "pipeline/activity_step.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "activity/decay.h"
#include "activity/line_region.h"
#include "activity/normal_distribution.h"
#include "pipeline/result_building.h"
#include "results/result_numbers.h"

namespace sorvane {
namespace {

using activity::CommonFactors;
using activity::EfficiencyCurve;
using activity::LimitInput;
using activity::LineActivity;
using activity::LineMeasurement;

constexpr double window_half_width = 1.5;  // FWHM either side of the line
constexpr double side_width = 3.0;         // FWHM of each side region beyond the window

// The channel of an energy under the spectrum's calibration (the root nearest the line).
double channel_of(const analysis::EnergyCalibration& e, double energy) {
    if (std::abs(e.c2) < 1e-12 * std::abs(e.c1)) return (energy - e.c0) / e.c1;
    const double disc = e.c1 * e.c1 - 4.0 * e.c2 * (e.c0 - energy);
    if (disc < 0.0) return (energy - e.c0) / e.c1;
    return (-e.c1 + std::copysign(std::sqrt(disc), e.c1)) / (2.0 * e.c2);
}

// The date as the result writes it: "T" between date and time.
std::string iso_time(std::string text) {
    if (text.size() > 10 && text[10] == ' ') text[10] = 'T';
    return text;
}

// The counts a peak holds of another nuclide's line (or of a cascade's sum peak), as
// that nuclide's activity predicts them.
struct PeakPrediction {
    std::string by;  // the nuclide, or the sum peak's name
    int peak = -1;
    double counts = 0.0;
    double d_counts = 0.0;
};

struct Context {
    const ActivitySpectrum& spectrum;
    const NuclideSettings& settings;
    const EfficiencyCurve& curve;
    double start_after_reference_s = 0.0;
    double low_kev = 0.0;
    double high_kev = 0.0;
    std::vector<std::string>* messages = nullptr;
    const LineCorrectionOf* correction = nullptr;              // none when the corrections are off
    const std::vector<PeakPrediction>* predictions = nullptr;  // none on the first pass
};

// The line's factors go with its emission probability: its counts are divided by
// eps p C T t; u(C) is a budget line of its own.
void apply_correction(const LineCorrection& factor, LineMeasurement& measured) {
    const double scale = factor.summing * factor.attenuation;
    measured.d_emission_probability *= scale;
    measured.emission_probability *= scale;
    measured.correction_relative_uncertainty =
        factor.summing > 0.0 ? factor.d_summing / factor.summing : 0.0;
}

// Two lines of one nuclide closer than 2 FWHM, fitted as neighbours in one region
// (Ba-133 79.6 and 81.0 keV) or matched to one peak, share their counts unreliably
// between them: they are taken as one line of the summed probability and area. `merged_into` names,
// for a line so taken into another, that other line.
std::vector<CandidateLine> merged_lines(const std::vector<CandidateLine>& lines,
                                        const SpectrumAnalysis& analysis,
                                        std::vector<int>& merged_into) {
    std::vector<CandidateLine> out = lines;
    merged_into.assign(lines.size(), -1);
    const int peaks = static_cast<int>(analysis.peaks.size());
    auto region_of = [&analysis](double channel) {
        for (std::size_t r = 0; r < analysis.regions.size(); ++r)
            if (channel >= analysis.regions[r].first && channel <= analysis.regions[r].last)
                return static_cast<int>(r);
        return -1;
    };
    for (std::size_t i = 0; i < out.size(); ++i) {
        CandidateLine& a = out[i];
        if (a.peak < 0 || a.peak >= peaks || a.shared || merged_into[i] >= 0) continue;
        for (std::size_t j = i + 1; j < out.size(); ++j) {
            const CandidateLine& b = out[j];
            if (b.peak < 0 || b.peak >= peaks || b.shared || merged_into[j] >= 0) continue;
            if (b.peak == a.peak) {  // one peak for both lines: their probabilities add
                a.energy_kev = (a.energy_kev * a.probability + b.energy_kev * b.probability) /
                               (a.probability + b.probability);
                a.probability += b.probability;
                a.d_probability = std::hypot(a.d_probability, b.d_probability);
                merged_into[j] = static_cast<int>(i);
                continue;
            }
            if (a.partner_peak >= 0) continue;
            const ReportedPeak& pa = analysis.peaks[a.peak];
            const ReportedPeak& pb = analysis.peaks[b.peak];
            const int region = region_of(pa.fit.centroid);
            if (std::abs(pa.energy - pb.energy) >= 2.0 * pa.fwhm_kev || region < 0 ||
                region != region_of(pb.fit.centroid))
                continue;
            const double p = a.probability + b.probability;
            a.energy_kev = (a.energy_kev * a.probability + b.energy_kev * b.probability) / p;
            a.d_probability = std::hypot(a.d_probability, b.d_probability);
            a.probability = p;
            a.partner_peak = b.peak;
            merged_into[j] = static_cast<int>(i);
        }
    }
    // A line with no peak of its own within 1 FWHM of a found one is in that peak.
    for (std::size_t j = 0; j < out.size(); ++j) {
        if (out[j].peak >= 0 || merged_into[j] >= 0) continue;
        for (std::size_t i = 0; i < out.size(); ++i) {
            CandidateLine& a = out[i];
            if (a.peak < 0 || a.peak >= peaks || a.shared || merged_into[i] >= 0) continue;
            const ReportedPeak& pa = analysis.peaks[a.peak];
            if (std::abs(pa.energy - out[j].energy_kev) >= pa.fwhm_kev) continue;
            a.probability += out[j].probability;
            a.d_probability = std::hypot(a.d_probability, out[j].d_probability);
            merged_into[j] = static_cast<int>(i);
            break;
        }
    }
    return out;
}

// Where the reference activity cannot be had from the count: the decay factor
// beyond what a double holds or more than most_half_lives, or the half-life's uncertainty over the
// time between making the factor unknown within a factor e (u_rel(f) >= 1). Empty when it can.
// After this many half-lives less than 1e-30 of the atoms are left: any activity
// seen now would have needed more than a mole of them per microbecquerel at the
// reference time, so no reference activity is given.
constexpr double most_half_lives = 100.0;

std::string not_computable_reason(const activity::DecayCorrection& decay,
                                  const ActivityCandidate& candidate,
                                  double start_after_reference_s) {
    const double half_lives =
        candidate.half_life_s > 0.0 ? start_after_reference_s / candidate.half_life_s : 0.0;
    const std::string span = number_text(half_lives) + " half-lives between reference and count";
    if (!std::isnormal(decay.factor) || !std::isfinite(1.0 / decay.factor))
        return "decay factor beyond a double's range (" + span + ")";
    if (half_lives > most_half_lives) return span + ", more than " + number_text(most_half_lives);
    if (decay.relative_uncertainty >= 1.0)
        return "half-life uncertainty leaves the decay factor unknown (u_rel " +
               number_text(decay.relative_uncertainty) + ", " + span + ")";
    return {};
}

// Other nuclides' fitted peaks near a line's expected channel are background to it,
// in its region and in its sides, and are taken out. A peak that any line of this
// nuclide claims stays, and so does one within 1 FWHM of the channel: a fit there
// may hold this line's counts too (an unresolved pair), or the line itself under a
// drifted energy scale. The sides leave out the channels on every peak not taken out.
struct OtherLinesPeaks {
    std::vector<activity::NeighbourPeak> neighbours;
    std::vector<int> taken_out;  // their peak numbers, from 1 as the result counts them
    std::vector<double> side_centroids;
};

constexpr double own_peak_fwhm = 1.0;
constexpr double neighbour_reach_fwhm = window_half_width + side_width + 3.0;

// Between three or more lines that fit the scale to a small rms, a line stands no
// more than drift_rms_multiple of that rms off its channel: no drift of a FWHM.
constexpr int drift_check_lines = 3;
constexpr double drift_rms_multiple = 3.0;

bool scale_may_drift(const Context& c, double energy_kev, double channel, double fwhm) {
    const ActivitySpectrum::ScaleCheck& scale = c.spectrum.scale;
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    const double fwhm_kev =
        fwhm * std::abs(c.spectrum.energy.value_or(analysis.energy).slope(channel));
    const bool between = energy_kev >= scale.low_kev && energy_kev <= scale.high_kev;
    return scale.lines < drift_check_lines || !between ||
           fwhm_kev <= drift_rms_multiple * scale.residual_rms_kev;
}

// What other nuclides' activities predict a peak holds, and its uncertainty; none
// when nothing predicts it.
std::optional<std::pair<double, double>> others_prediction(const ActivityCandidate& candidate,
                                                           int peak, const Context& c) {
    if (!c.predictions) return std::nullopt;
    double counts = 0.0, variance = 0.0;
    bool any = false;
    for (const PeakPrediction& p : *c.predictions) {
        if (p.peak != peak || p.by == candidate.nuclide) continue;
        counts += p.counts;
        variance += p.d_counts * p.d_counts;
        any = true;
    }
    if (!any) return std::nullopt;
    return std::pair{counts, std::sqrt(variance)};
}

// A partner peak (a close line of the same nuclide) is the peak of another of its
// lines, so the candidate's lines name every peak of its own. A peak that stays in
// the region but holds another nuclide's line (or a sum peak) whose counts that
// nuclide's activity predicts has those counts taken off as background. Under a
// `pinned` scale a peak 1 FWHM off is not this line whether or not anything claims it.
OtherLinesPeaks other_lines_peaks(const ActivityCandidate& candidate, const Context& c,
                                  double channel, double fwhm, bool pinned) {
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    std::set<int> own;
    for (const CandidateLine& l : candidate.lines) own.insert(l.peak);
    const std::set<int> others(candidate.others_peaks.begin(), candidate.others_peaks.end());
    OtherLinesPeaks out;
    for (int p = 0; p < static_cast<int>(analysis.peaks.size()); ++p) {
        const analysis::FittedPeak& fit = analysis.peaks[static_cast<std::size_t>(p)].fit;
        const double distance = std::abs(fit.centroid - channel);
        if ((others.count(p) > 0 || pinned) && own.count(p) == 0 &&
            distance >= own_peak_fwhm * fwhm && distance <= neighbour_reach_fwhm * fwhm) {
            out.neighbours.push_back({fit.centroid, fit.area, fit.d_area, fit.fwhm, fit.tail});
            out.taken_out.push_back(p + 1);
        } else if (const auto predicted = distance < own_peak_fwhm * fwhm || own.count(p) > 0
                                              ? others_prediction(candidate, p, c)
                                              : std::nullopt) {
            out.neighbours.push_back(
                {fit.centroid, predicted->first, predicted->second, fit.fwhm, fit.tail});
            out.taken_out.push_back(p + 1);
        } else {
            out.side_centroids.push_back(fit.centroid);
        }
    }
    return out;
}

// A chain member in equilibrium decays as its parent does; the result says so.
ActivityCandidate as_decaying(const ActivityCandidate& candidate, const Context& c) {
    const auto& parent = candidate.parent;
    if (parent.name.empty()) return candidate;
    ActivityCandidate supported = candidate;
    supported.half_life_s = parent.half_life_s;
    supported.d_half_life_s = parent.d_half_life_s;
    if (c.messages)
        c.messages->push_back(candidate.nuclide + " is decay-corrected with the half-life of " +
                              parent.name + " (its chain taken as in secular equilibrium)");
    return supported;
}

// The factors every line of a candidate shares: live time, decay, sample quantity.
CommonFactors common_factors(const ActivityCandidate& candidate, const Context& c) {
    CommonFactors common;
    common.live_time_s = c.spectrum.live_time_s;
    common.decay = activity::decay_correction({candidate.half_life_s, candidate.d_half_life_s,
                                               c.start_after_reference_s, c.spectrum.real_time_s});
    common.quantity = c.settings.sample_quantity > 0.0 ? c.settings.sample_quantity : 1.0;
    return common;
}

// The lines' activities and the line the decision is made on.
struct LineSurvey {
    std::vector<std::optional<LineActivity>> activities;     // per candidate line
    std::vector<std::optional<LineCorrection>> corrections;  // per candidate line, when on
    std::vector<LineMeasurement> found;                      // usable lines, for the mean
    std::vector<LineActivity> found_activities;
    std::optional<CandidateLine> identifying;
    LineActivity identifying_activity;
    bool identifying_shared = false;  // every usable line shares its peak with another nuclide
    bool any_in_range = false;
};

// The identifying line: the largest expected count among lines in the analysed
// range and the curve's, one whose peak no other nuclide holds where there is one.
LineSurvey survey_lines(const ActivityCandidate& candidate, const Context& c,
                        const CommonFactors& common) {
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    LineSurvey survey;
    std::optional<CandidateLine> identifying_shared;
    LineActivity shared_activity;
    double strongest = 0.0, strongest_shared = 0.0;
    std::vector<int> merged_into;
    const std::vector<CandidateLine> lines = merged_lines(candidate.lines, analysis, merged_into);
    const bool has_clean_line = std::any_of(lines.begin(), lines.end(), [&](const auto& l) {
        return l.peak >= 0 && !l.shared && !l.interfered && l.probability > 0.0 &&
               l.energy_kev >= std::max(c.low_kev, c.curve.energy_min_kev) &&
               l.energy_kev <= std::min(c.high_kev, c.curve.energy_max_kev);
    });
    survey.activities.resize(lines.size());
    survey.corrections.resize(lines.size());
    for (std::size_t index = 0; index < lines.size(); ++index) {
        CandidateLine line = lines[index];
        if (line.interfered && has_clean_line) line.shared = true;
        if (merged_into[index] >= 0) continue;  // its counts are in the line it was taken into
        const bool in_range =
            line.probability > 0.0 && line.energy_kev >= c.low_kev && line.energy_kev <= c.high_kev;
        survey.any_in_range = survey.any_in_range || in_range;
        const bool has_peak = line.peak >= 0 && line.peak < static_cast<int>(analysis.peaks.size());
        LineMeasurement measured{line.energy_kev, 0.0, 0.0, line.probability, line.d_probability};
        if (has_peak) {
            measured.net_area = analysis.peaks[line.peak].fit.area;
            measured.d_area = analysis.peaks[line.peak].fit.d_area;
            if (line.partner_peak >= 0) {
                const analysis::FittedPeak& partner = analysis.peaks[line.partner_peak].fit;
                measured.net_area += partner.area;
                measured.d_area = std::hypot(measured.d_area, partner.d_area);
            }
        }
        if (c.correction) {
            const LineCorrection factor = (*c.correction)(candidate.nuclide, line.energy_kev);
            apply_correction(factor, measured);
            survey.corrections[index] = factor;
        }
        const LineActivity la = activity::line_activity(measured, c.curve, common);
        if (!in_range || !la.inside_curve || !(la.conversion > 0.0)) continue;
        const double expected = 1.0 / la.conversion;  // p eff, up to common factors
        if (line.shared) {
            if (expected > strongest_shared) {
                strongest_shared = expected;
                identifying_shared = line;
                shared_activity = la;
            }
            continue;
        }
        if (expected > strongest) {
            strongest = expected;
            survey.identifying = line;
            survey.identifying_activity = la;
        }
        if (has_peak && la.usable) {
            survey.activities[index] = la;
            survey.found.push_back(measured);
            survey.found_activities.push_back(la);
        }
    }
    for (std::size_t index = 0; index < lines.size(); ++index)
        if (merged_into[index] >= 0)
            survey.activities[index] = survey.activities[merged_into[index]];
    if (!survey.identifying && identifying_shared) {
        // Every usable line shares its peak: the decision is still made on the
        // strongest, whose region holds the other nuclide's counts too.
        survey.identifying = identifying_shared;
        survey.identifying_activity = shared_activity;
        survey.identifying_shared = true;
    }
    return survey;
}

// The primary result and its characteristic limits at one line.
struct LineLimits {
    activity::PrimaryResult primary;
    double decision_threshold = 0.0;
    std::optional<double> detection_limit;  // none when it does not exist
};

// A line whose peak nothing claims may stand beside its expected channel under an
// energy scale that drifted: a peak no other identified nuclide claims (nor a sum
// peak) between 1 and drift_reach_fwhm FWHM of the channel is taken as the line, so
// that the region holds it whole rather than a part of it. Its centroid, or none.
constexpr double drift_reach_fwhm = 2.0;

std::optional<double> drifted_line_peak(const ActivityCandidate& candidate,
                                        const CandidateLine& identifying, const Context& c,
                                        double channel, double fwhm) {
    if (identifying.peak >= 0) return std::nullopt;
    if (!scale_may_drift(c, identifying.energy_kev, channel, fwhm)) return std::nullopt;
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    const std::set<int> others(candidate.others_peaks.begin(), candidate.others_peaks.end());
    std::optional<double> nearest;
    for (int p = 0; p < static_cast<int>(analysis.peaks.size()); ++p) {
        if (others.count(p) > 0 || others_prediction(candidate, p, c)) continue;
        const double centroid = analysis.peaks[static_cast<std::size_t>(p)].fit.centroid;
        const double distance = std::abs(centroid - channel);
        if (distance < own_peak_fwhm * fwhm || distance > drift_reach_fwhm * fwhm) continue;
        if (!nearest || distance < std::abs(*nearest - channel)) nearest = centroid;
    }
    return nearest;
}

// The background spectrum's lines near a line's channel, as neighbours to take out.
void add_background_lines(const Context& c, double channel, double fwhm,
                          std::vector<activity::NeighbourPeak>& neighbours) {
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    for (const BackgroundLine& line : c.spectrum.background) {
        const double at = channel_of(c.spectrum.energy.value_or(analysis.energy), line.energy_kev);
        if (std::abs(at - channel) > neighbour_reach_fwhm * fwhm) continue;
        neighbours.push_back({at, line.counts, line.d_counts, analysis.width.fwhm(at), 0.0});
    }
}

// The primary result: net counts in the identifying line's region at its expected
// energy, the continuum from the sides, whatever the peak search found there. None
// when the region runs past the analysed range.
std::optional<LineLimits> line_limits(const ActivityCandidate& candidate,
                                      const CandidateLine& identifying, const LineActivity& la,
                                      const Context& c) {
    const SpectrumAnalysis& analysis = *c.spectrum.analysis;
    LimitInput limit;
    limit.conversion = la.conversion;
    limit.conversion_relative_uncertainty = la.conversion_relative_uncertainty;
    limit.k_alpha = activity::normal_quantile(1.0 - c.settings.alpha);
    limit.k_beta = activity::normal_quantile(1.0 - c.settings.beta);
    double channel =
        channel_of(c.spectrum.energy.value_or(analysis.energy), identifying.energy_kev);
    double fwhm = analysis.width.fwhm(channel);
    if (const auto drifted = drifted_line_peak(candidate, identifying, c, channel, fwhm)) {
        channel = *drifted;
        fwhm = analysis.width.fwhm(channel);
    }
    const bool pinned = !scale_may_drift(c, identifying.energy_kev, channel, fwhm);
    OtherLinesPeaks beside = other_lines_peaks(candidate, c, channel, fwhm, pinned);
    add_background_lines(c, channel, fwhm, beside.neighbours);
    const activity::RegionCounts region =
        activity::region_counts_beside(c.spectrum.counts, channel, fwhm, analysis.first,
                                       analysis.last, beside.side_centroids, beside.neighbours);
    if (!region.ok) return std::nullopt;
    if (!beside.taken_out.empty() && c.messages != nullptr) {
        std::string peaks;
        for (int p : beside.taken_out) peaks += (peaks.empty() ? "" : ", ") + std::to_string(p);
        c.messages->push_back(candidate.nuclide + ": other nuclides' peaks (" + peaks +
                              ") taken out of the region of its " +
                              number_text(identifying.energy_kev) +
                              " keV line as background to its primary result");
    }
    limit.background_counts = region.background;
    limit.d_background_counts = region.d_background;
    return LineLimits{activity::primary_result(limit, region.gross),
                      activity::decision_threshold(limit), activity::detection_limit(limit)};
}

// The activity of a detected nuclide: from the fitted lines of an identified
// nuclide, else the primary result itself with its budget split by source.
activity::NuclideActivity detected_activity(const ActivityCandidate& candidate,
                                            const LineSurvey& survey,
                                            const activity::PrimaryResult& primary,
                                            const Context& c, const CommonFactors& common,
                                            bool& from_lines) {
    if (candidate.identified && !survey.found.empty()) {
        const activity::NuclideActivity mean = activity::combine_consistent_lines(
            survey.found_activities, survey.found, c.curve, common);
        from_lines = mean.valid;
        if (mean.valid) return mean;
    }
    const CandidateLine& line = *survey.identifying;
    activity::NuclideActivity single;
    single.activity = primary.value;
    single.d_activity = primary.uncertainty;
    const double y2 = primary.value * primary.value;
    const double eff = activity::evaluate_efficiency(c.curve, line.energy_kev).relative_uncertainty;
    single.budget.efficiency = y2 * eff * eff;
    single.budget.emission = y2 * std::pow(line.d_probability / line.probability, 2);
    single.budget.half_life = y2 * std::pow(common.decay.relative_uncertainty, 2);
    single.budget.quantity =
        y2 * std::pow(common.quantity > 0.0 ? common.d_quantity / common.quantity : 0.0, 2);
    single.budget.corrections =
        y2 * std::pow(survey.identifying_activity.correction_relative_uncertainty, 2);
    single.budget.counting =
        std::max(0.0, primary.uncertainty * primary.uncertainty - single.budget.efficiency -
                          single.budget.emission - single.budget.half_life -
                          single.budget.quantity - single.budget.corrections);
    single.lines_used = 1;
    single.valid = true;
    return single;
}

// What a candidate's numbers come to: the primary result, its limits, the activity
// and what the verdict was decided on.
struct NuclideNumbers {
    Verdict verdict = Verdict::none;
    std::string reason;  // why there is no number, or what the decision was made on
    std::vector<std::optional<LineActivity>> line_activities;     // per candidate line
    std::vector<std::optional<LineCorrection>> line_corrections;  // per candidate line
    double identifying_energy_kev = 0.0;
    std::optional<LineLimits> limits;
    std::optional<activity::NuclideActivity> activity;   // detected only
    std::optional<activity::CoverageInterval> coverage;  // detected only
    bool from_lines = false;  // the activity is the mean of the nuclide's own found lines
};

NuclideNumbers nuclide_numbers(const ActivityCandidate& candidate, const Context& c) {
    NuclideNumbers n;
    const CommonFactors common = common_factors(candidate, c);
    // No number is better than a wrong one.
    n.reason = not_computable_reason(common.decay, candidate, c.start_after_reference_s);
    if (!n.reason.empty()) {
        n.verdict = Verdict::not_computable;
        return n;
    }
    const LineSurvey survey = survey_lines(candidate, c, common);
    n.line_activities = survey.activities;
    n.line_corrections = survey.corrections;
    if (!survey.identifying) {
        n.verdict = survey.any_in_range ? Verdict::outside_curve : Verdict::not_detected;
        if (survey.any_in_range) n.reason = "no line inside the efficiency curve's range";
        return n;
    }
    if (survey.identifying_shared) n.reason = "identifying line in another nuclide's peak";
    n.identifying_energy_kev = survey.identifying->energy_kev;
    n.limits = line_limits(candidate, *survey.identifying, survey.identifying_activity, c);
    if (!n.limits) {
        n.verdict = Verdict::not_detected;
        n.reason = "the identifying line's region lies at the edge of the analysed range";
        return n;
    }
    if (!n.limits->detection_limit && n.reason.empty())
        n.reason = "no detection limit: k_beta u_rel(w) >= 1";
    const activity::PrimaryResult& primary = n.limits->primary;
    if (!(primary.value > n.limits->decision_threshold)) {
        n.verdict = Verdict::not_detected;
        return n;
    }
    n.verdict = Verdict::detected;
    n.activity = detected_activity(candidate, survey, primary, c, common, n.from_lines);
    n.coverage = activity::coverage_interval(n.activity->activity, n.activity->d_activity,
                                             1.0 - c.settings.coverage);
    return n;
}

// The result's row of a candidate from its numbers.
NuclideActivityRow activity_row(const ActivityCandidate& candidate, const NuclideNumbers& n) {
    NuclideActivityRow row;
    row.nuclide = candidate.nuclide;
    row.identified = candidate.identified;
    row.verdict = n.verdict;
    row.reason = n.reason;
    for (std::size_t index = 0; index < candidate.lines.size(); ++index) {
        LineActivityRow line{candidate.lines[index].energy_kev, {}, {}, {}};
        if (index < n.line_activities.size()) line.activity = n.line_activities[index];
        if (index < n.line_corrections.size() && n.line_corrections[index]) {
            line.summing_factor = n.line_corrections[index]->summing;
            line.attenuation_factor = n.line_corrections[index]->attenuation;
        }
        row.lines.push_back(line);
    }
    row.identifying_energy_kev = n.identifying_energy_kev;
    if (n.limits) {
        row.primary = n.limits->primary;
        row.identifying_value = n.limits->primary.value;
        row.decision_threshold = n.limits->decision_threshold;
        row.detection_limit = n.limits->detection_limit;
    }
    row.activity = n.activity;
    row.coverage = n.coverage;
    return row;
}

// The row of a candidate the step gives a verdict alone, with no number.
NuclideActivityRow verdict_row(const ActivityCandidate& candidate, Verdict verdict,
                               std::string reason = {}) {
    NuclideNumbers n;
    n.verdict = verdict;
    n.reason = std::move(reason);
    return activity_row(candidate, n);
}

std::vector<PeakPrediction> sum_peak_predictions(const ActivitySpectrum& spectrum) {
    std::vector<PeakPrediction> out;
    for (const ClaimedSumPeak& sum : spectrum.sum_peaks)
        out.push_back({"sum", sum.peak, sum.expected, sum.d_expected});
    return out;
}

// The counts an identified nuclide's activity from its own lines predicts in each
// of its lines' peaks, the activity's and the line's uncertainty together.
void add_predictions(const ActivityCandidate& candidate, const NuclideNumbers& n, const Context& c,
                     std::vector<PeakPrediction>& out) {
    if (!n.from_lines || !n.activity || !(n.activity->activity > 0.0)) return;
    const double u_activity = n.activity->d_activity / n.activity->activity;
    const CommonFactors common = common_factors(candidate, c);
    for (const CandidateLine& line : candidate.lines) {
        if (line.peak < 0) continue;
        LineMeasurement measured{line.energy_kev, 0.0, 0.0, line.probability, line.d_probability};
        if (c.correction)
            apply_correction((*c.correction)(candidate.nuclide, line.energy_kev), measured);
        const LineActivity la = activity::line_activity(measured, c.curve, common);
        if (!(la.conversion > 0.0) || !la.inside_curve) continue;
        const double counts = n.activity->activity / la.conversion;
        out.push_back({candidate.nuclide, line.peak, counts,
                       counts * std::hypot(u_activity, la.conversion_relative_uncertainty)});
    }
}

NuclideActivityRow nuclide_row(const ActivityCandidate& candidate, const Context& c) {
    return activity_row(candidate, nuclide_numbers(candidate, c));
}

}  // namespace

ActivityResult activity_step(const std::vector<ActivityCandidate>& candidates,
                             const ActivitySpectrum& spectrum, const NuclideSettings& settings,
                             const LoadedCurve& loaded) {
    ActivityResult result;
    result.unit =
        settings.sample_quantity > 0.0
            ? "Bq/" + (settings.sample_unit.empty() ? std::string("unit") : settings.sample_unit)
            : "Bq";
    result.messages = loaded.problems;
    const auto start = activity::seconds_of_date(spectrum.start);
    auto reference = start;
    std::string reference_text = spectrum.start;
    if (!settings.reference_time.empty()) {
        if (const auto given = activity::seconds_of_date(settings.reference_time)) {
            reference = given;
            reference_text = settings.reference_time;
        } else {
            result.messages.push_back("reference time \"" + settings.reference_time +
                                      "\" is not YYYY-MM-DD HH:MM:SS: activities at the start");
        }
    }
    double start_after_reference = 0.0;
    if (start && reference) {
        start_after_reference = *start - *reference;
        result.keys.emplace_back("reference_time", iso_time(reference_text));
    } else {
        if (!start)
            result.messages.push_back(
                "the spectrum's start date is unknown: activities are corrected for decay "
                "during the count only, not to the reference time");
        result.keys.emplace_back("reference_time", "-");
    }
    if (loaded.curve) {
        const EfficiencyCurve& curve = *loaded.curve;
        result.keys.emplace_back(
            "efficiency", loaded.path + " (from " + number_text(curve.energy_min_kev) + " to " +
                              number_text(curve.energy_max_kev) + " keV, standard: " +
                              (curve.standard.empty() ? std::string("-") : curve.standard) + ")");
    } else {
        result.keys.emplace_back("efficiency", loaded.path + " (not usable)");
    }
    result.keys.emplace_back("unit", result.unit);
    result.keys.emplace_back("corrections",
                             loaded.corrections.correction
                                 ? loaded.corrections.description
                                 : std::string("no cascade-summing or self-absorption correction"));
    result.corrected = static_cast<bool>(loaded.corrections.correction);
    if (spectrum.analysis == nullptr) return result;

    const SpectrumAnalysis& analysis = *spectrum.analysis;
    // Every candidate but a special entry gets a row, with no number where none can be had.
    auto verdict_rows = [&](Verdict verdict, const std::string& reason) {
        for (const ActivityCandidate& candidate : candidates)
            if (!candidate.explains_only)
                result.nuclides.push_back(verdict_row(candidate, verdict, reason));
        return result;
    };
    if (!spectrum.energy_calibrated)
        return verdict_rows(Verdict::no_energy_calibration,
                            "the spectrum has no energy calibration");
    if (!loaded.curve) return verdict_rows(Verdict::no_efficiency, {});
    const double e_first = analysis.energy.energy(analysis.first);
    const double e_last = analysis.energy.energy(analysis.last);
    const Context context{spectrum,
                          settings,
                          *loaded.curve,
                          start_after_reference,
                          std::min(e_first, e_last),
                          std::max(e_first, e_last),
                          &result.messages,
                          loaded.corrections.correction ? &loaded.corrections.correction : nullptr};
    if (!(spectrum.live_time_s > 0.0)) {
        result.messages.push_back("live time is 0: no activities");
        return verdict_rows(Verdict::not_detected, {});
    }
    std::vector<ActivityCandidate> decaying;
    for (const ActivityCandidate& candidate : candidates)
        decaying.push_back(as_decaying(candidate, context));
    // First the identified nuclides' activities, quietly: what they predict in each
    // peak is background to any other nuclide's line there.
    const std::vector<PeakPrediction> sums = sum_peak_predictions(spectrum);
    Context first = context;
    first.messages = nullptr;
    first.predictions = &sums;
    std::vector<PeakPrediction> predictions = sums;
    for (const ActivityCandidate& candidate : decaying)
        if (candidate.identified)
            add_predictions(candidate, nuclide_numbers(candidate, first), first, predictions);
    Context second = context;
    second.predictions = &predictions;
    for (const ActivityCandidate& candidate : decaying)
        if (!candidate.explains_only) result.nuclides.push_back(nuclide_row(candidate, second));
    return result;
}

}  // namespace sorvane
