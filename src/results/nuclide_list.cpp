#include "results/nuclide_list.h"

#include <algorithm>
#include <array>
#include <cstdio>

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

constexpr std::array<std::pair<std::string_view, std::string_view>, 6> verdict_words{{
    {"detected", "detected"},
    {"not_detected", "not detected"},
    {"no_efficiency", "no efficiency"},
    {"outside_curve", "outside the curve's range"},
    {"not_computable", "not computable"},
    {"no_energy_calibration", "no energy calibration"},
}};

std::string budget_text(const ResultFile& result, const std::string& nuclide) {
    const ResultTable& budget = result.activity_budget;
    std::string text;
    for (std::size_t row = 0; row < budget.rows.size(); ++row) {
        if (budget.cell(row, "nuclide") != nuclide) continue;
        for (std::size_t col = 0; col < budget.columns.size(); ++col) {
            const std::string& name = budget.columns[col];
            const auto share = budget.number(row, name);
            if (name == "nuclide" || !share) continue;
            char part[64];
            std::snprintf(part, sizeof part, "%s %.0f %%", name.c_str(), *share);
            text += (text.empty() ? "" : ", ") + std::string(part);
        }
    }
    return text;
}

std::string unit_of(const ResultFile& result) {
    const std::string unit = value_of(result.nuclide_keys, "unit");
    return unit.empty() ? "Bq" : unit;
}

}  // namespace

std::string verdict_in_words(const std::string& verdict) {
    for (const auto& [key, words] : verdict_words)
        if (key == verdict) return std::string(words);
    return verdict == "-" ? std::string() : verdict;
}

std::string activity_text(const ResultFile& result, std::size_t row) {
    const ResultTable& t = result.nuclides;
    if (!t.column("verdict")) return {};
    const std::string unit = " " + unit_of(result);
    if (t.cell(row, "verdict") == "not_detected") {
        const auto limit = t.number(row, "detection_limit");
        return limit ? "< " + significant(limit) + unit : "not detected";
    }
    const auto activity = t.number(row, "activity");
    if (!activity) return {};
    const auto pair = rounded_pair(*activity, t.number(row, "d_activity").value_or(0.0));
    return pair.first + " +- " + pair.second + unit;
}

NuclideList nuclide_list(const ResultFile& result) {
    const ResultTable& t = result.nuclides;
    NuclideList list;
    for (const auto& [key, value] : result.nuclide_keys) list.notes.push_back(key + ": " + value);
    list.headers = {"Nuclide", "Identified",   "Score", "Lines found/expected",
                    "Peaks",   "Interferences"};
    const bool activities = t.column("verdict").has_value();
    if (activities)
        list.headers.insert(list.headers.end(), {"Activity", "Coverage interval",
                                                 "Decision threshold", "Verdict", "Budget"});
    // Results that carry the primary result: the decision on the counts beside.
    const bool decisions = activities && t.column("primary_result").has_value();
    if (decisions)
        list.headers.insert(list.headers.end(),
                            {"Primary result", "Decision", "Detection limit", "Why"});
    for (std::size_t row = 0; row < t.rows.size(); ++row) {
        NuclideListRow line;
        line.result_row = row;
        line.identified = t.cell(row, "identified") == "yes";
        line.cells = {t.cell(row, "nuclide"),       line.identified ? "yes" : "no",
                      t.cell(row, "score"),         t.cell(row, "lines"),
                      spaced(t.cell(row, "peaks")), spaced(t.cell(row, "interferences"))};
        if (activities) {
            const std::string verdict = t.cell(row, "verdict");
            const auto low = t.number(row, "coverage_low");
            const auto high = t.number(row, "coverage_high");
            line.cells.push_back(activity_text(result, row));
            // The interval's ends to the digits of the activity's uncertainty.
            const double d = t.number(row, "d_activity").value_or(0.0);
            line.cells.push_back(low && high && verdict != "not_detected"
                                     ? rounded_pair(*low, d).first + " .. " +
                                           rounded_pair(*high, d).first
                                     : std::string());
            line.cells.push_back(t.number(row, "decision_threshold")
                                     ? significant(t.number(row, "decision_threshold"))
                                     : std::string());
            line.cells.push_back(verdict_in_words(verdict));
            line.cells.push_back(budget_text(result, t.cell(row, "nuclide")));
            line.flagged = verdict == "outside_curve";
        }
        if (decisions) {
            // The decision on the counts, beside identification's verdict on the lines.
            const auto y = t.number(row, "primary_result");
            const auto u = t.number(row, "d_primary_result");
            line.cells.push_back(y ? rounded_pair(*y, u.value_or(0.0)).first + " +- " +
                                         rounded_pair(*y, u.value_or(0.0)).second
                                   : std::string());
            const std::string decision = t.cell(row, "decision");
            line.cells.push_back(decision == "-" ? std::string() : verdict_in_words(decision));
            line.cells.push_back(t.number(row, "detection_limit")
                                     ? significant(t.number(row, "detection_limit"))
                                     : std::string());
            std::string reason = t.cell(row, "reason");
            if (reason == "-") reason.clear();
            std::replace(reason.begin(), reason.end(), '_', ' ');
            line.cells.push_back(reason);
        }
        list.rows.push_back(std::move(line));
    }
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [&](const NuclideListRow& a, const NuclideListRow& b) {
                         if (a.identified != b.identified) return a.identified;
                         return t.number(a.result_row, "score").value_or(0.0) >
                                t.number(b.result_row, "score").value_or(0.0);
                     });
    return list;
}

std::vector<UnexplainedPeak> unexplained_peaks(const ResultFile& result) {
    const ResultTable& t = result.unexplained_peaks;
    std::vector<UnexplainedPeak> peaks;
    for (std::size_t row = 0; row < t.rows.size(); ++row)
        peaks.push_back({t.cell(row, "no"), t.cell(row, "energy"), t.cell(row, "area"),
                         flags_in_words(result, t.cell(row, "flags"))});
    return peaks;
}

std::vector<std::string> identified_nuclides(const ResultFile& result) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < result.nuclides.rows.size(); ++row)
        if (result.nuclides.cell(row, "identified") == "yes")
            names.push_back(result.nuclides.cell(row, "nuclide"));
    return names;
}

}  // namespace sorvane
