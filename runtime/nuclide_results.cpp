#include "nuclide_sections.h"

#include <algorithm>
#include <cstdio>

#include "aligned_columns.h"

namespace sorvane {
namespace {

using nuclides::LineStatus;

constexpr std::string_view crlf = "\r\n";

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A field free of blanks ("-" when empty), as every table of the result needs.
std::string field(std::string text) {
    if (text.empty()) return "-";
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

void add_table(std::string& text, const std::vector<std::vector<std::string>>& rows) {
    for (const auto& line : aligned_lines(rows)) {
        text += line;
        text += crlf;
    }
}

void append_fields(std::vector<std::string>& row, const std::vector<std::string>& fields) {
    row.insert(row.end(), fields.begin(), fields.end());
}

void add_pair(std::string& text, std::string_view key, const std::string& value) {
    text += key;
    text += " = ";
    text += value;
    text += crlf;
}

std::vector<std::string> calibration_lines(const nuclides::Recalibration& recalibration) {
    if (!recalibration.done) return {};
    const auto& e = recalibration.energy;
    std::vector<std::string> lines{
        "recalibrated_energy = " + number_text(e.c0) + " " + number_text(e.c1) + " " +
            number_text(e.c2),
        "recalibration_lines = " + std::to_string(recalibration.residuals.size()),
        "recalibration_residual_rms_kev = " + number_text(recalibration.residual_rms_kev)};
    for (const auto& r : recalibration.residuals)
        lines.push_back("recalibration_residual = " + std::to_string(r.peak + 1) + " " +
                        number_text(r.library_energy) + " " + number_text(r.residual_kev));
    return lines;
}

std::string peak_list(const std::vector<int>& peaks) {
    std::string text;
    for (int p : peaks) text += (text.empty() ? "" : ",") + std::to_string(p + 1);
    return field(text);
}

std::string interference_list(const std::vector<std::pair<int, std::string>>& interferences) {
    std::string text;
    for (const auto& [peak, other] : interferences) {
        const std::string item = std::to_string(peak + 1) + ":" + other;
        if (text.find(item) == std::string::npos) text += (text.empty() ? "" : ",") + item;
    }
    return field(text);
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

void nuclides_section(std::string& text, const NuclideRun& run, const NuclideFindings& findings,
                      const ActivityResult* activity) {
    text += "[nuclides]";
    text += crlf;
    for (const auto& file : run.library.files)
        add_pair(text, "library",
                 file.path + " (" + std::to_string(file.nuclides) + " nuclides, " +
                     std::to_string(file.lines) + " lines)");
    for (const auto& chain : findings.identification.chains) add_pair(text, "chain", chain);
    if (activity)
        for (const auto& [key, value] : activity->keys) add_pair(text, key, value);
    std::vector<std::vector<std::string>> rows{
        {"nuclide", "identified", "score", "lines", "peaks", "interferences"}};
    if (activity)
        rows[0].insert(rows[0].end(), std::begin(activity_columns), std::end(activity_columns));
    for (const auto& n : findings.identification.nuclides) {
        rows.push_back({field(n.name), n.identified ? "yes" : "no", fixed(n.score, 3),
                        std::to_string(n.found) + "/" + std::to_string(n.expected),
                        peak_list(n.peaks), interference_list(n.interferences)});
        if (activity) append_fields(rows.back(), nuclide_activity_fields(*activity, n.name));
    }
    // Nuclides whose limits are always asked for, though identification did not list them.
    if (activity)
        for (const auto& row : activity->nuclides) {
            const auto& listed = findings.identification.nuclides;
            if (std::any_of(listed.begin(), listed.end(),
                            [&](const auto& n) { return n.name == row.nuclide; }))
                continue;
            rows.push_back({field(row.nuclide), "no", "-", "-", "-", "-"});
            append_fields(rows.back(), nuclide_activity_fields(*activity, row.nuclide));
        }
    add_table(text, rows);
}

void lines_section(std::string& text, const NuclideFindings& findings,
                   const ActivityResult* activity) {
    text += "[nuclide lines]";
    text += crlf;
    std::vector<std::vector<std::string>> rows{{"nuclide", "energy", "probability", "peak",
                                                "recalibrated_energy", "difference", "status"}};
    if (activity) rows[0].insert(rows[0].end(), {"activity", "d_activity"});
    for (const auto& n : findings.identification.nuclides)
        for (const auto& l : n.lines) {
            const bool matched = l.peak >= 0;
            rows.push_back({field(n.name), number_text(l.line->energy),
                            l.line->probability > 0.0 ? number_text(l.line->probability) : "-",
                            matched ? std::to_string(l.peak + 1) : "-",
                            matched ? fixed(l.peak_energy, 3) : "-",
                            matched ? fixed(l.difference, 3) : "-",
                            std::string(status_text(l.status))});
            if (activity)
                append_fields(rows.back(), line_activity_fields(*activity, n.name, l.line->energy));
        }
    add_table(text, rows);
}

void unexplained_section(std::string& text, const NuclideFindings& findings,
                         const SpectrumAnalysis& analysis) {
    text += "[unexplained peaks]";
    text += crlf;
    std::vector<std::vector<std::string>> rows{{"no", "energy", "area", "flags"}};
    const auto& owners = findings.identification.peak_nuclide;
    for (std::size_t p = 0; p < analysis.peaks.size(); ++p) {
        if (p < owners.size() && !owners[p].empty()) continue;
        const auto& peak = analysis.peaks[p];
        rows.push_back({std::to_string(p + 1), number_text(peak.energy), number_text(peak.fit.area),
                        field(peak.flags)});
    }
    add_table(text, rows);
}

}  // namespace

ResultAdditions nuclide_additions(const NuclideRun& run, const NuclideFindings& findings,
                                  const SpectrumAnalysis& analysis,
                                  const ActivityResult* activity) {
    ResultAdditions additions;
    additions.calibration_lines = calibration_lines(findings.recalibration);
    std::vector<std::string> column;
    for (const auto& name : findings.identification.peak_nuclide) column.push_back(field(name));
    column.resize(analysis.peaks.size(), "-");
    additions.peak_columns.push_back({"nuclide", std::move(column)});
    nuclides_section(additions.sections, run, findings, activity);
    lines_section(additions.sections, findings, activity);
    unexplained_section(additions.sections, findings, analysis);
    if (activity) {
        additions.sections += "[activity budget]";
        additions.sections += crlf;
        for (const auto& line : activity_budget_lines(*activity)) {
            additions.sections += line;
            additions.sections += crlf;
        }
    }
    return additions;
}

}  // namespace sorvane
