#include "results/nuclide_list.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "contract/result_schema.h"
#include "results/peak_table.h"

namespace sorvane {
namespace {

std::string significant(std::optional<double> value) {
    if (!value) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", *value);
    return text;
}

// Comma-separated lists of the result read with a blank after each comma.
std::string spaced(std::string text) {
    if (text == "-") return {};
    for (std::size_t at = text.find(','); at != std::string::npos; at = text.find(',', at + 2))
        text.insert(at + 1, " ");
    return text;
}

constexpr std::array<std::pair<Verdict, std::string_view>, 6> verdict_words{{
    {Verdict::detected, "detected"},
    {Verdict::not_detected, "not detected"},
    {Verdict::no_efficiency, "no efficiency"},
    {Verdict::outside_curve, "outside the curve's range"},
    {Verdict::not_computable, "not computable"},
    {Verdict::no_energy_calibration, "no energy calibration"},
}};

std::string budget_text(const ResultModel& result, const std::string& nuclide) {
    const ResultRows<BudgetRow>& budget = result.activity_budget;
    std::string text;
    for (std::size_t row = 0; row < budget.rows.size(); ++row) {
        if (budget.rows[row].nuclide != nuclide) continue;
        for (std::size_t col = 0; col < budget.columns.size(); ++col) {
            const std::string& name = budget.columns[col];
            const auto share = budget.number(row, name);
            if (name == result_schema::budget_column::nuclide || !share) continue;
            char part[64];
            std::snprintf(part, sizeof part, "%s %.0f %%", name.c_str(), *share);
            text += (text.empty() ? "" : ", ") + std::string(part);
        }
    }
    return text;
}

std::string unit_of(const ResultModel& result) {
    const std::string unit = value_of(result.nuclide_keys, result_schema::nuclide_key::unit);
    return unit.empty() ? "Bq" : unit;
}

}  // namespace

std::string verdict_in_words(Verdict verdict) {
    for (const auto& [key, words] : verdict_words)
        if (key == verdict) return std::string(words);
    return {};
}

std::string activity_text(const ResultModel& result, std::size_t row) {
    const ResultRows<NuclideRow>& t = result.nuclides;
    if (!t.column(result_schema::nuclide_column::verdict) || row >= t.rows.size()) return {};
    const NuclideRow& n = t.rows[row];
    const std::string unit = " " + unit_of(result);
    if (n.verdict == Verdict::not_detected) {
        return n.detection_limit ? "< " + significant(n.detection_limit) + unit : "not detected";
    }
    if (!n.activity) return {};
    const auto pair = rounded_pair(*n.activity, n.d_activity.value_or(0.0));
    return pair.first + " +- " + pair.second + unit;
}

NuclideList nuclide_list(const ResultModel& result) {
    const ResultRows<NuclideRow>& t = result.nuclides;
    NuclideList list;
    for (const auto& [key, value] : result.nuclide_keys) list.notes.push_back(key + ": " + value);
    list.headers = {"Nuclide", "Identified",   "Score", "Lines found/expected",
                    "Peaks",   "Interferences"};
    const bool activities = t.column(result_schema::nuclide_column::verdict).has_value();
    if (activities)
        list.headers.insert(list.headers.end(), {"Activity", "Coverage interval",
                                                 "Decision threshold", "Verdict", "Budget"});
    // Results that carry the primary result: the decision on the counts beside.
    const bool decisions =
        activities && t.column(result_schema::nuclide_column::primary_result).has_value();
    if (decisions)
        list.headers.insert(list.headers.end(),
                            {"Primary result", "Decision", "Detection limit", "Why"});
    for (std::size_t row = 0; row < t.rows.size(); ++row) {
        const NuclideRow& n = t.rows[row];
        NuclideListRow line;
        line.result_row = row;
        line.identified = n.identified.value_or(false);
        line.cells = {n.nuclide,
                      line.identified ? "yes" : "no",
                      t.cell(row, result_schema::nuclide_column::score),
                      t.cell(row, result_schema::nuclide_column::lines),
                      spaced(n.peaks),
                      spaced(n.interferences)};
        if (activities) {
            const auto& low = n.coverage_low;
            const auto& high = n.coverage_high;
            line.cells.push_back(activity_text(result, row));
            // The interval's ends to the digits of the activity's uncertainty.
            const double d = n.d_activity.value_or(0.0);
            line.cells.push_back(low && high && n.verdict != Verdict::not_detected
                                     ? rounded_pair(*low, d).first + " .. " +
                                           rounded_pair(*high, d).first
                                     : std::string());
            line.cells.push_back(n.decision_threshold ? significant(n.decision_threshold)
                                                      : std::string());
            line.cells.push_back(verdict_in_words(n.verdict));
            line.cells.push_back(budget_text(result, n.nuclide));
            line.flagged = n.verdict == Verdict::outside_curve;
        }
        if (decisions) {
            // The decision on the counts, beside identification's verdict on the lines.
            const auto& y = n.primary_result;
            const double u = n.d_primary_result.value_or(0.0);
            line.cells.push_back(y ? rounded_pair(*y, u).first + " +- " + rounded_pair(*y, u).second
                                   : std::string());
            line.cells.push_back(verdict_in_words(n.decision));
            line.cells.push_back(n.detection_limit ? significant(n.detection_limit)
                                                   : std::string());
            // The file writes the reason's blanks as "_".
            std::string reason = n.reason;
            std::replace(reason.begin(), reason.end(), '_', ' ');
            line.cells.push_back(reason);
        }
        list.rows.push_back(std::move(line));
    }
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [&](const NuclideListRow& a, const NuclideListRow& b) {
                         if (a.identified != b.identified) return a.identified;
                         return t.rows[a.result_row].score.value_or(0.0) >
                                t.rows[b.result_row].score.value_or(0.0);
                     });
    return list;
}

std::vector<UnexplainedPeak> unexplained_peaks(const ResultModel& result) {
    namespace column = result_schema::unexplained_column;
    const ResultRows<UnexplainedRow>& t = result.unexplained_peaks;
    std::vector<UnexplainedPeak> peaks;
    for (std::size_t row = 0; row < t.rows.size(); ++row)
        peaks.push_back({t.cell(row, column::no), t.cell(row, column::energy),
                         t.cell(row, column::area), flags_in_words(result, t.rows[row].flags)});
    return peaks;
}

std::vector<std::string> identified_nuclides(const ResultModel& result) {
    std::vector<std::string> names;
    for (const NuclideRow& row : result.nuclides.rows)
        if (row.identified.value_or(false)) names.push_back(row.nuclide);
    return names;
}

}  // namespace sorvane
