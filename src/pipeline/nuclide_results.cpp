#include "pipeline/nuclide_results.h"

#include <algorithm>

#include "contract/result_schema.h"
#include "results/result_fields.h"
#include "results/result_numbers.h"
#include "results/result_writer.h"

namespace sorvane {
namespace {

using nuclides::LineStatus;
namespace key = result_schema::nuclide_key;

void add_recalibration(CalibrationPart& part, const nuclides::Recalibration& recalibration) {
    if (!recalibration.done) return;
    const auto& e = recalibration.energy;
    part.recalibrated_energy = {e.c0, e.c1, e.c2};
    part.recalibration_lines = static_cast<double>(recalibration.residuals.size());
    part.recalibration_residual_rms_kev = recalibration.residual_rms_kev;
    for (const auto& r : recalibration.residuals)
        part.recalibration_residuals.push_back(
            {static_cast<double>(r.peak + 1), r.library_energy, r.residual_kev});
}

std::string peak_list(const std::vector<int>& peaks) {
    std::string text;
    for (int p : peaks) text += (text.empty() ? "" : ",") + std::to_string(p + 1);
    return text;
}

std::string interference_list(const std::vector<std::pair<int, std::string>>& interferences) {
    std::string text;
    for (const auto& [peak, other] : interferences) {
        const std::string item = std::to_string(peak + 1) + ":" + other;
        if (text.find(item) == std::string::npos) text += (text.empty() ? "" : ",") + item;
    }
    return text;
}

std::string_view status_text(LineStatus status) {
    switch (status) {
        case LineStatus::found:
            return "found";
        case LineStatus::shared:
            return "shared";
        case LineStatus::missing:
            break;
    }
    return "missing";
}

const NuclideActivityRow* row_of(const ActivityResult& result, const std::string& nuclide) {
    for (const auto& row : result.nuclides)
        if (row.nuclide == nuclide) return &row;
    return nullptr;
}

// The activity columns of a nuclide's row; none where the step gave no value.
void add_activity(NuclideRow& out, const ActivityResult& result) {
    const NuclideActivityRow* row = row_of(result, out.nuclide);
    if (!row) return;
    if (row->activity) {
        out.activity = row->activity->activity;
        out.d_activity = row->activity->d_activity;
        if (row->activity->lines_used > 1)
            out.lines_chi2r = row->activity->lines_chi2 / (row->activity->lines_used - 1);
    }
    if (row->coverage) {
        out.coverage_low = row->coverage->low;
        out.coverage_high = row->coverage->high;
    }
    out.decision_threshold = row->decision_threshold;
    out.detection_limit = row->detection_limit;
    out.verdict = row->verdict;
    if (row->primary) {
        out.primary_result = row->primary->value;
        out.d_primary_result = row->primary->uncertainty;
        out.decision =
            row->verdict == Verdict::detected ? Verdict::detected : Verdict::not_detected;
    }
    if (row->coverage) {
        out.best_estimate = row->coverage->best_estimate;
        out.d_best_estimate = row->coverage->d_best_estimate;
    }
    if (row->activity) {
        for (double kev : row->activity->excluded_kev)
            out.excluded_lines += (out.excluded_lines.empty() ? "" : ",") + number_text(kev);
        if (row->activity->uncertainty_scale != 1.0)
            out.uncertainty_scale = row->activity->uncertainty_scale;
    }
    out.reason = row->reason;
}

void add_line_activity(NuclideLineRow& out, const ActivityResult& result, double energy_kev) {
    const NuclideActivityRow* row = row_of(result, out.nuclide);
    if (!row) return;
    for (const LineActivityRow& line : row->lines) {
        if (line.energy_kev != energy_kev || !line.activity) continue;
        out.activity = line.activity->activity;
        out.d_activity = line.activity->d_activity;
        out.summing_factor = line.summing_factor;
        out.attenuation_factor = line.attenuation_factor;
    }
}

void nuclides_table(ResultModel& model, const NuclideRun& run, const NuclideFindings& findings,
                    const ActivityResult* activity) {
    for (const auto& file : run.library.files)
        model.nuclide_keys.emplace_back(
            key::library, file.path + " (" + std::to_string(file.nuclides) + " nuclides, " +
                              std::to_string(file.lines) + " lines)");
    for (const auto& chain : findings.identification.chains)
        model.nuclide_keys.emplace_back(key::chain, chain);
    if (activity)
        model.nuclide_keys.insert(model.nuclide_keys.end(), activity->keys.begin(),
                                  activity->keys.end());
    model.nuclides.columns = column_names(nuclide_columns(), activity != nullptr);
    for (const auto& n : findings.identification.nuclides) {
        NuclideRow row;
        row.nuclide = n.name;
        row.identified = n.identified;
        row.score = n.score;
        row.lines = std::to_string(n.found) + "/" + std::to_string(n.expected);
        row.peaks = peak_list(n.peaks);
        row.interferences = interference_list(n.interferences);
        if (activity) add_activity(row, *activity);
        model.nuclides.rows.push_back(std::move(row));
    }
    // Nuclides whose limits are always asked for, though identification did not list them.
    if (activity)
        for (const auto& asked : activity->nuclides) {
            const auto& listed = findings.identification.nuclides;
            if (std::any_of(listed.begin(), listed.end(),
                            [&](const auto& n) { return n.name == asked.nuclide; }))
                continue;
            NuclideRow row;
            row.nuclide = asked.nuclide;
            row.identified = false;
            add_activity(row, *activity);
            model.nuclides.rows.push_back(std::move(row));
        }
}

void lines_table(ResultModel& model, const NuclideFindings& findings,
                 const ActivityResult* activity) {
    model.nuclide_lines.columns = column_names(nuclide_line_columns(), activity != nullptr);
    if (!activity || !activity->corrected)  // the factors' columns only when there are factors
        std::erase_if(model.nuclide_lines.columns, [](const std::string& name) {
            return name == result_schema::line_column::summing_factor ||
                   name == result_schema::line_column::attenuation_factor;
        });
    for (const auto& n : findings.identification.nuclides)
        for (const auto& l : n.lines) {
            NuclideLineRow row;
            row.nuclide = n.name;
            row.energy = l.line->energy;
            if (l.line->probability > 0.0) row.probability = l.line->probability;
            if (l.peak >= 0) {
                row.peak = l.peak + 1;
                row.recalibrated_energy = l.peak_energy;
                row.difference = l.difference;
            }
            row.status = status_text(l.status);
            if (activity) add_line_activity(row, *activity, l.line->energy);
            model.nuclide_lines.rows.push_back(std::move(row));
        }
}

void unexplained_table(ResultModel& model, const NuclideFindings& findings,
                       const SpectrumAnalysis& analysis) {
    model.unexplained_peaks.columns = column_names(unexplained_columns(), true);
    const auto& owners = findings.identification.peak_nuclide;
    for (std::size_t p = 0; p < analysis.peaks.size(); ++p) {
        if (p < owners.size() && !owners[p].empty()) continue;
        const auto& peak = analysis.peaks[p];
        UnexplainedRow row;
        row.no = static_cast<double>(p + 1);
        row.energy = peak.energy;
        row.area = peak.fit.area;
        row.flags = peak.flags == "-" ? std::string() : peak.flags;
        model.unexplained_peaks.rows.push_back(std::move(row));
    }
}

Number percent(double part, double total) {
    if (!(total > 0.0)) return std::nullopt;
    return 100.0 * part / total;
}

void budget_table(ResultModel& model, const ActivityResult& activity) {
    model.activity_budget.columns = column_names(budget_columns(), true);
    if (!activity.corrected)  // the factors' share only when there are factors
        std::erase(model.activity_budget.columns, result_schema::budget_column::corrections);
    for (const NuclideActivityRow& row : activity.nuclides) {
        if (!row.activity) continue;
        const activity::UncertaintyBudget& b = row.activity->budget;
        const double total = b.total();
        model.activity_budget.rows.push_back(
            {row.nuclide, percent(b.counting, total), percent(b.efficiency, total),
             percent(b.emission, total), percent(b.half_life, total), percent(b.quantity, total),
             activity.corrected ? percent(b.corrections, total) : Number{}});
    }
}

}  // namespace

void add_nuclide_results(ResultModel& model, const NuclideRun& run, const NuclideFindings& findings,
                         const SpectrumAnalysis& analysis, const ActivityResult* activity) {
    add_recalibration(model.calibration, findings.recalibration);
    model.peaks.columns = column_names(peak_columns(), true);
    const auto& owners = findings.identification.peak_nuclide;
    for (std::size_t p = 0; p < model.peaks.rows.size(); ++p)
        model.peaks.rows[p].nuclide = p < owners.size() ? owners[p] : std::string();
    nuclides_table(model, run, findings, activity);
    lines_table(model, findings, activity);
    unexplained_table(model, findings, analysis);
    if (activity) budget_table(model, *activity);
    round_to_written(model);
}

}  // namespace sorvane
