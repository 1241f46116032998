#include "report_page.h"

#include <cmath>
#include <cstdio>

#include "platform/text_helpers.h"
#include "results/result_numbers.h"

namespace sorvane {
namespace {

constexpr const char* style = R"(@page { size: A4; margin: 14mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 9pt; color: #000; margin: 0; }
h1 { font-size: 14pt; margin: 0 0 4pt 0; }
h2 { font-size: 10.5pt; margin: 8pt 0 3pt 0; border-bottom: 1px solid #888; }
table { border-collapse: collapse; }
td, th { padding: 1px 8px 1px 2px; vertical-align: top; }
table.nuclides th, table.nuclides td { border-bottom: 1px solid #ccc; text-align: right; }
table.nuclides th:first-child, table.nuclides td:first-child { text-align: left; }
td.key { color: #444; }
p.note { font-size: 8pt; color: #333; }
.plot svg { width: 100%; height: auto; }
@media print { .plot { page-break-inside: avoid; } }
table.sign td { padding: 18px 16px 0 0; }
h2 { page-break-after: avoid; }
)";

std::string value_or_dash(const std::string& text) {
    return text.empty() ? "-" : text;
}

void fact_row(std::string& html, const std::string& key, const std::string& value) {
    html += "<tr><td class=\"key\">" + markup_text(key) + "</td><td>" +
            markup_text(value_or_dash(value)) + "</td></tr>\n";
}

// Three significant digits: enough for a limit on a printed page.
std::string short_number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

std::string optional_number(const std::optional<double>& value) {
    return value ? short_number(*value) : "-";
}

// A value to the last digit its uncertainty's two significant digits reach.
std::string rounded(double value, double uncertainty) {
    if (!(uncertainty > 0.0) || !std::isfinite(uncertainty)) return short_number(value);
    const int step = static_cast<int>(std::floor(std::log10(uncertainty))) - 1;
    const double unit = std::pow(10.0, step);
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", std::max(0, -step), std::round(value / unit) * unit);
    return text;
}

// The recalibration in one line instead of the result's key lines.
std::vector<std::string> calibration_summary(const std::vector<std::string>& notes) {
    std::vector<std::string> out;
    std::string energy, lines, rms;
    for (const std::string& note : notes) {
        const auto equals = note.find(" = ");
        if (equals == std::string::npos) {
            out.push_back(note);
            continue;
        }
        const std::string key = note.substr(0, equals), value = note.substr(equals + 3);
        if (key == "recalibrated_energy")
            energy = value;
        else if (key == "recalibration_lines")
            lines = value;
        else if (key == "recalibration_residual_rms_kev")
            rms = value;
        else if (key != "recalibration_residual")
            out.push_back(note);
    }
    if (!energy.empty())
        out.insert(out.begin(), "Recalibrated on library lines: E = c0 + c1 ch + c2 ch^2 with (" +
                                    energy + ") keV, from " + lines + " lines, residual rms " +
                                    rms + " keV");
    return out;
}

std::string percent_of(double part, double total) {
    if (!(total > 0.0)) return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 100.0 * part / total);
    return text;
}

void calibrations(std::string& html, const ReportInput& in) {
    html += "<h2>Calibrations</h2>\n<table>\n";
    if (in.analysis) {
        const auto& e = in.analysis->energy;
        fact_row(html, "Energy",
                 "E = " + number_text(e.c0) + " + " + number_text(e.c1) + " ch + " +
                     number_text(e.c2) + " ch^2 keV");
        const auto& w = in.analysis->width;
        fact_row(html, "Width",
                 "FWHM^2 = " + number_text(w.a) + " + " + number_text(w.b) + " ch + " +
                     number_text(w.c) + " ch^2 (channels)");
    }
    if (in.activity)
        for (const auto& [key, value] : in.activity->keys)
            if (key == "efficiency") fact_row(html, "Efficiency", value);
    for (const std::string& note : calibration_summary(in.calibration_notes))
        fact_row(html, "", note);
    html += "</table>\n";
}

// The k the page's uncertainties are given with: 1 unless the settings choose more.
double coverage_factor(const NuclideSettings* settings) {
    return settings ? settings->report_coverage_factor : 1.0;
}

// What the "+-" of the page means, said once under the table.
std::string uncertainty_statement(double k) {
    if (k == 1.0) return "uncertainties are standard uncertainties (k = 1)";
    return "uncertainties are expanded uncertainties, the standard uncertainty multiplied by "
           "k = " +
           number_text(k);
}

// Who issues the page and what was measured, above everything else; empty fields
// are left off.
void header_block(std::string& html, const NuclideSettings& s) {
    const std::pair<const char*, const std::string*> rows[] = {
        {"Laboratory", &s.report_laboratory},       {"Address", &s.report_address},
        {"Accreditation", &s.report_accreditation}, {"Detector", &s.report_detector},
        {"Geometry", &s.report_geometry},           {"Sample identifier", &s.report_sample_id},
    };
    std::string block;
    for (const auto& [key, value] : rows)
        if (!value->empty()) fact_row(block, key, *value);
    if (!block.empty()) html += "<table class=\"header\">\n" + block + "</table>\n";
}

// Lines for the signatures a laboratory puts under a report it issues.
void signature_lines(std::string& html) {
    html += "<h2>Approval</h2>\n<table class=\"sign\">\n";
    for (const char* role : {"Analysed by", "Approved by"})
        html += std::string("<tr><td>") + role +
                "</td><td>______________________________</td><td>Date</td>"
                "<td>________________</td></tr>\n";
    html += "</table>\n";
}

void nuclide_table(std::string& html, const ActivityResult& result, double k) {
    const std::string unit = markup_text(result.unit);
    html +=
        "<h2>Nuclides</h2>\n<table class=\"nuclides\">\n<tr><th>Nuclide</th><th>Result</th>"
        "<th>Activity (" +
        unit +
        ")</th><th>Coverage interval</th><th>Decision threshold</th>"
        "<th>Detection limit</th><th>Lines chi2/dof</th><th>Budget: counting / efficiency / "
        "emission / half-life / quantity (%)</th><th>Primary result (" +
        unit + ")</th><th>Identified (library)</th><th>Why</th></tr>\n";
    for (const NuclideActivityRow& row : result.nuclides) {
        std::string value = "-", interval = "-", budget = "-";
        if (row.activity) {
            const double u = k * row.activity->d_activity;
            value = rounded(row.activity->activity, u) + " &plusmn; " + rounded(u, u);
            if (row.coverage)
                interval =
                    rounded(row.coverage->low, u) + " &ndash; " + rounded(row.coverage->high, u);
            const auto& b = row.activity->budget;
            const double total = b.total();
            budget = percent_of(b.counting, total) + " / " + percent_of(b.efficiency, total) +
                     " / " + percent_of(b.emission, total) + " / " +
                     percent_of(b.half_life, total) + " / " + percent_of(b.quantity, total);
        } else if (row.detection_limit) {
            value = "&lt; " + short_number(*row.detection_limit);
        }
        // The decision's measurand: net counts of the identifying line's region in activity.
        const std::string primary =
            row.primary ? rounded(row.primary->value, row.primary->uncertainty) + " &plusmn; " +
                              rounded(row.primary->uncertainty, row.primary->uncertainty)
                        : "-";
        const std::string verdict =
            row.verdict == Verdict::not_detected    ? "not detected"
            : row.verdict == Verdict::outside_curve ? "outside the efficiency curve"
            : row.verdict == Verdict::no_efficiency ? "no efficiency"
                                                    : std::string(verdict_word(row.verdict));
        // The spread of the lines' activities, at the digits the result states it.
        std::string chi2 = "-";
        if (row.activity && row.activity->lines_used > 1)
            chi2 = short_number(
                as_written(row.activity->lines_chi2 / (row.activity->lines_used - 1), 8));
        html += "<tr><td>" + markup_text(row.nuclide) + "</td><td>" + markup_text(verdict) +
                "</td><td>" + value + "</td><td>" + interval + "</td><td>" +
                optional_number(row.decision_threshold) + "</td><td>" +
                optional_number(row.detection_limit) + "</td><td>" + chi2 + "</td><td>" + budget +
                "</td><td>" + primary + "</td><td>" + (row.identified ? "yes" : "no") +
                "</td><td>" + markup_text(row.reason) + "</td></tr>\n";
    }
    html += "</table>\n";
    std::string reference = "-", corrections;
    for (const auto& [key, value] : result.keys) {
        if (key == "reference_time") reference = value;
        if (key == "corrections") corrections = value;
    }
    html += "<p class=\"note\">Activities at " + markup_text(reference) + "; " +
            uncertainty_statement(k) +
            "; a nuclide not detected is given as &lt; its detection limit; detected means "
            "the primary result (the net counts of the identifying line's region) is above "
            "the decision threshold, whether or not the library matching identified the "
            "nuclide; " +
            markup_text(corrections) + ".</p>\n";
}

// The plot's own XML prolog, if any, would be out of place inside the page.
std::string inline_svg(const std::string& svg) {
    const auto at = svg.find("<svg");
    return at == std::string::npos ? std::string() : svg.substr(at);
}

}  // namespace

std::string report_page(const ReportInput& in) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<title>" + markup_text(in.name) + ": gamma-ray spectrum report</title>\n<style>\n";
    html += style;
    html += "</style>\n</head>\n<body>\n<h1>" + markup_text(in.name) + "</h1>\n";
    if (in.settings) header_block(html, *in.settings);
    html += "<table>\n";
    const bool own_description = in.settings && !in.settings->report_sample_description.empty();
    fact_row(html, "Sample",
             own_description ? in.settings->report_sample_description : in.description);
    if (in.settings && in.settings->sample_quantity > 0.0)
        fact_row(html, "Quantity",
                 number_text(in.settings->sample_quantity) + " " + in.settings->sample_unit);
    if (in.facts) {
        fact_row(html, "Spectrum", in.facts->input_path);
        if (!in.facts->raw_path.empty()) fact_row(html, "Raw file", in.facts->raw_path);
        fact_row(html, "Start", in.facts->start);
        fact_row(html, "Live time", number_text(in.facts->live_time) + " s");
        fact_row(html, "Real time", number_text(in.facts->real_time) + " s");
    }
    html += "</table>\n";
    calibrations(html, in);
    if (in.activity) nuclide_table(html, *in.activity, coverage_factor(in.settings));
    if (!in.svg.empty())
        html += "<h2>Spectrum</h2>\n<div class=\"plot\">\n" + inline_svg(in.svg) + "\n</div>\n";
    signature_lines(html);
    html += "<p class=\"note\">" + markup_text(in.program) + "</p>\n</body>\n</html>\n";
    return html;
}

}  // namespace sorvane
