#include "report_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "contract/result_schema.h"
#include "platform/text_helpers.h"
#include "results/result_numbers.h"
#include "results/result_writer.h"

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

// The recalibration in one line instead of the result's key lines, as they are written.
std::optional<std::string> recalibration_summary(const ResultModel& result) {
    namespace key = result_schema::calibration_key;
    const NamedValues written = calibration_values(result);
    const std::string energy = value_of(written, key::recalibrated_energy);
    if (energy.empty()) return std::nullopt;
    return "Recalibrated on library lines: E = c0 + c1 ch + c2 ch^2 with (" + energy +
           ") keV, from " + value_of(written, key::recalibration_lines) + " lines, residual rms " +
           value_of(written, key::recalibration_residual_rms_kev) + " keV";
}

std::string percent_text(const Number& percent) {
    if (!percent) return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", *percent);
    return text;
}

// A number of the result as the page writes it, "-" for none.
std::string result_number(const Number& value) {
    return value ? number_text(*value) : "-";
}

void calibrations(std::string& html, const ResultModel& result) {
    namespace key = result_schema::nuclide_key;
    html += "<h2>Calibrations</h2>\n<table>\n";
    const auto& e = result.calibration.energy;
    if (e.size() == 3)
        fact_row(html, "Energy",
                 "E = " + number_text(e[0]) + " + " + number_text(e[1]) + " ch + " +
                     number_text(e[2]) + " ch^2 keV");
    const auto& w = result.calibration.fwhm;
    if (w.size() == 3)
        fact_row(html, "Width",
                 "FWHM^2 = " + number_text(w[0]) + " + " + number_text(w[1]) + " ch + " +
                     number_text(w[2]) + " ch^2 (channels)");
    for (const auto& [name, value] : result.nuclide_keys)
        if (name == key::efficiency) fact_row(html, "Efficiency", value);
    if (const auto recalibration = recalibration_summary(result))
        fact_row(html, "", *recalibration);
    for (const auto& [name, value] : result.nuclide_keys)
        if (name == key::library) fact_row(html, "", "Line library: " + value);
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

// The budget's shares of a nuclide, "-" when the result holds none.
std::string budget_text(const ResultModel& result, const std::string& nuclide) {
    for (const BudgetRow& b : result.activity_budget.rows)
        if (b.nuclide == nuclide)
            return percent_text(b.counting) + " / " + percent_text(b.efficiency) + " / " +
                   percent_text(b.emission) + " / " + percent_text(b.half_life) + " / " +
                   percent_text(b.quantity) +
                   (b.corrections ? " / " + percent_text(b.corrections) : std::string());
    return "-";
}

std::string verdict_text(Verdict verdict) {
    switch (verdict) {
        case Verdict::not_detected:
            return "not detected";
        case Verdict::outside_curve:
            return "outside the efficiency curve";
        case Verdict::no_efficiency:
            return "no efficiency";
        default:
            return std::string(verdict_word(verdict));
    }
}

void nuclide_row(std::string& html, const ResultModel& result, const NuclideRow& row, double k) {
    std::string value = "-", interval = "-", budget = "-";
    if (row.activity && row.d_activity) {
        const double u = k * *row.d_activity;
        value = rounded(*row.activity, u) + " &plusmn; " + rounded(u, u);
        if (row.coverage_low && row.coverage_high)
            interval = rounded(*row.coverage_low, u) + " &ndash; " + rounded(*row.coverage_high, u);
        budget = budget_text(result, row.nuclide);
    } else if (row.detection_limit) {
        value = "&lt; " + short_number(*row.detection_limit);
    }
    // The decision's measurand: net counts of the identifying line's region in activity.
    const std::string primary = row.primary_result && row.d_primary_result
                                    ? rounded(*row.primary_result, *row.d_primary_result) +
                                          " &plusmn; " +
                                          rounded(*row.d_primary_result, *row.d_primary_result)
                                    : "-";
    const std::string chi2 = row.lines_chi2r ? short_number(*row.lines_chi2r) : "-";
    html += "<tr><td>" + markup_text(row.nuclide) + "</td><td>" +
            markup_text(verdict_text(row.verdict)) + "</td><td>" + value + "</td><td>" + interval +
            "</td><td>" + optional_number(row.decision_threshold) + "</td><td>" +
            optional_number(row.detection_limit) + "</td><td>" + chi2 + "</td><td>" + budget +
            "</td><td>" + primary + "</td><td>" + (row.identified.value_or(false) ? "yes" : "no") +
            "</td><td>" + markup_text(row.reason) + "</td></tr>\n";
}

// The result's budget has the correction factors' share.
bool corrected(const ResultModel& result) {
    return result.activity_budget.column(result_schema::budget_column::corrections).has_value();
}

void nuclide_table(std::string& html, const ResultModel& result, double k) {
    namespace key = result_schema::nuclide_key;
    const std::string unit = markup_text(value_of(result.nuclide_keys, key::unit));
    html +=
        "<h2>Nuclides</h2>\n<table class=\"nuclides\">\n<tr><th>Nuclide</th><th>Result</th>"
        "<th>Activity (" +
        unit +
        ")</th><th>Coverage interval</th><th>Decision threshold</th>"
        "<th>Detection limit</th><th>Lines chi2/dof</th><th>Budget: counting / efficiency / "
        "emission / half-life / quantity" +
        std::string(corrected(result) ? " / corrections" : "") + " (%)</th><th>Primary result (" +
        unit + ")</th><th>Identified (library)</th><th>Why</th></tr>\n";
    // The nuclides the activity step reported: every one but those it had no verdict for.
    for (const NuclideRow& row : result.nuclides.rows)
        if (row.verdict != Verdict::none) nuclide_row(html, result, row, k);
    html += "</table>\n";
    std::string reference = "-", corrections;
    for (const auto& [name, value] : result.nuclide_keys) {
        if (name == key::reference_time) reference = value;
        if (name == key::corrections) corrections = value;
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
    if (in.result) {
        const SpectrumPart& spectrum = in.result->spectrum;
        fact_row(html, "Spectrum", spectrum.input);
        if (!spectrum.raw_file.empty()) fact_row(html, "Raw file", spectrum.raw_file);
        fact_row(html, "Start", spectrum.start);
        fact_row(html, "Live time", result_number(spectrum.live_time) + " s");
        fact_row(html, "Real time", result_number(spectrum.real_time) + " s");
    }
    html += "</table>\n";
    if (in.result) {
        calibrations(html, *in.result);
        // The activities were computed when the nuclide table has their columns.
        if (in.result->nuclides.column(result_schema::nuclide_column::verdict))
            nuclide_table(html, *in.result, coverage_factor(in.settings));
    }
    if (!in.svg.empty())
        html += "<h2>Spectrum</h2>\n<div class=\"plot\">\n" + inline_svg(in.svg) + "\n</div>\n";
    signature_lines(html);
    html += "<p class=\"note\">" + markup_text(in.program) + "</p>\n</body>\n</html>\n";
    return html;
}

}  // namespace sorvane
