// Analyses the synthetic mixtures of synth_nuclides with identification and
// activities on, the way the runtime runs a batch, and scores the results against
// the truth: precision of the nuclides identified, recall of those whose strongest
// line stands at 10 sigma or more, by kind of spectrum; the activities' bias and
// z^2; how often blanks come out "detected"; how often a present nuclide that was
// not detected lies below the detection limit printed for it; limits of nuclides long
// past their reference time; and the recalibrated energy's error at 1.5 MeV.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "contract/nuclide_settings.h"
#include "nuclides/library_files.h"
#include "platform/posix_file_system.h"
#include "run_batch.h"

namespace {

struct Truth {
    std::string kind = "mix";
    std::map<std::string, double> nuclides;  // name: significance of its strongest line
    std::map<std::string, double> activity;  // name: Bq at the reference time
    double channel_1500 = 0.0;
};

struct TruthFile {
    std::string reference_time;
    std::map<std::string, Truth> spectra;
};

TruthFile read_truth(const std::string& path) {
    TruthFile truth;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        std::string spectrum, kind, name, value;
        std::getline(fields, spectrum, ',');
        std::getline(fields, kind, ',');
        std::getline(fields, name, ',');
        std::getline(fields, value, ',');
        if (kind == "reference_time") {
            truth.reference_time = value;
            continue;
        }
        Truth& t = truth.spectra[spectrum];
        if (kind == "kind") t.kind = name;
        if (kind == "nuclide") t.nuclides[name] = std::stod(value);
        if (kind == "activity") t.activity[name] = std::stod(value);
        if (kind == "truth_channel_1500") t.channel_1500 = std::stod(value);
    }
    return truth;
}

// One row of [nuclides], by column name.
using Row = std::map<std::string, std::string>;

struct Found {
    std::set<std::string> identified;
    std::map<std::string, Row> rows;
    bool recalibrated = false;
    int lines = 0;
    double c0 = 0, c1 = 0, c2 = 0;
};

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

Found read_result(const std::string& text) {
    Found found;
    std::istringstream in(text);
    std::string line, section;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            section = line;
            header.clear();
            continue;
        }
        if (line.rfind("recalibrated_energy = ", 0) == 0) {
            std::istringstream terms(line.substr(22));
            found.recalibrated = static_cast<bool>(terms >> found.c0 >> found.c1 >> found.c2);
        }
        if (line.rfind("recalibration_lines = ", 0) == 0) found.lines = std::stoi(line.substr(22));
        if (section != "[nuclides]" || line.find(" = ") != std::string::npos) continue;
        const auto fields = words(line);
        if (fields.empty()) continue;
        if (header.empty()) {
            header = fields;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < fields.size() && i < header.size(); ++i)
            row[header[i]] = fields[i];
        const std::string name = fields[0];
        if (name == "Annihilation-511") continue;
        if (row["identified"] == "yes") found.identified.insert(name);
        found.rows[name] = row;
    }
    return found;
}

double number(const Row& row, const std::string& column) {
    const auto it = row.find(column);
    if (it == row.end() || it->second == "-") return std::nan("");
    try {
        return std::stod(it->second);
    } catch (...) {
        return std::nan("");
    }
}

std::string text(const Row& row, const std::string& column) {
    const auto it = row.find(column);
    return it == row.end() ? std::string() : it->second;
}

struct Tally {
    int reported = 0, right = 0, strong = 0, strong_found = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: score_nuclides DIR LIBRARY_DIR   (DIR holds truth.csv and the CHN "
                     "files)\n";
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    std::string library_dir = argv[2];
    if (library_dir.back() != '/') library_dir += '/';
    const auto truth = read_truth(dir + "truth.csv");
    sorvane::PosixFileSystem fs;
    const auto library = sorvane::nuclides::load_line_library(fs, {}, library_dir);
    sorvane::NuclideSettings settings;
    settings.identify = true;
    settings.efficiency_file = "bench_efficiency.txt";
    settings.reference_time = truth.reference_time;
    // Every nuclide's decision and limits, so that blanks and missed nuclides are scored.
    for (const auto& n : library.nuclides)
        if (n.name != sorvane::nuclides::annihilation_name && !library.lines_of(n.name).empty())
            settings.always_report.push_back(n.name);
    fs.write_file(dir + std::string(sorvane::nuclide_settings_file_name),
                  sorvane::render_nuclide_settings(settings));
    sorvane::RunRequest request;
    request.system_dir = dir;
    request.chn_dir = dir;
    request.res_dir = dir;
    // The width points of the synthetic detector: FWHM 2.0 channels at 200, 3.8 at 3000.
    request.options.low = {200.0, 70.0, 2.0};
    request.options.high = {3000.0, 1050.0, 3.8};
    for (const auto& [name, t] : truth.spectra) request.base_names.push_back(name);
    std::ostringstream log;
    sorvane::run_batch(request, fs, log);

    std::map<std::string, Tally> by_kind;
    Tally all;
    int recalibrated = 0, within = 0;
    double sum_square = 0.0, worst = 0.0;
    // Activities of nuclides above 30 sigma that were detected.
    int strong_activities = 0;
    double bias_sum = 0.0, bias_square = 0.0, z2_sum = 0.0, z2_kept = 0.0;
    int gross_failures = 0;  // |z| > 5: a line on the wrong peak or a wrong energy scale
    // Blanks: always-reported pairs and how many came out detected.
    int blank_pairs = 0, blank_detected = 0;
    // Present nuclides not detected: how many had their true activity below y#.
    int missed_pairs = 0, missed_below = 0, missed_no_limit = 0;
    // Limits beyond reason (above 1e30 Bq) and results not computable.
    int absurd = 0, not_computable = 0, late_pairs = 0;
    // Limits given in spectra without an energy calibration (none can be).
    int uncalibrated_numbers = 0;
    const bool verbose = std::getenv("SCORE_VERBOSE") != nullptr;
    std::map<std::string, int> false_names, missed_names;
    for (const auto& [name, t] : truth.spectra) {
        std::string res;
        if (!fs.read_file(dir + name + ".res", res).ok()) continue;
        const Found found = read_result(res);
        Tally& kind = by_kind[t.kind];
        // Without an energy calibration nothing can be identified: those spectra are
        // counted on their own row, not in precision and recall.
        Tally ignored;
        Tally& overall = t.kind == "no_calibration" ? ignored : all;
        for (const auto& n : found.identified) {
            ++kind.reported, ++overall.reported;
            if (t.nuclides.count(n)) {
                ++kind.right, ++overall.right;
            } else {
                ++false_names[n];
                if (verbose)
                    std::printf("%s (%s) false %s\n", name.c_str(), t.kind.c_str(), n.c_str());
            }
        }
        for (const auto& [n, significance] : t.nuclides) {
            if (significance < 10.0) continue;
            ++kind.strong, ++overall.strong;
            if (found.identified.count(n)) {
                ++kind.strong_found, ++overall.strong_found;
            } else {
                ++missed_names[n];
                if (verbose)
                    std::printf("%s (%s) missed %s (%.1f sigma)\n", name.c_str(), t.kind.c_str(),
                                n.c_str(), significance);
            }
        }
        for (const auto& [n, row] : found.rows) {
            if (t.kind == "no_calibration") {
                if (std::isfinite(number(row, "decision_threshold"))) ++uncalibrated_numbers;
                continue;
            }
            const std::string decision = text(row, "decision");
            const std::string verdict = text(row, "verdict");
            const bool detected = decision.empty() ? verdict == "detected" : decision == "detected";
            for (const char* column : {"decision_threshold", "detection_limit", "activity"}) {
                const double v = number(row, column);
                if (std::isfinite(v) && std::fabs(v) > 1e30) {
                    ++absurd;
                    break;
                }
            }
            if (verdict == "not_computable") ++not_computable;
            if (t.kind == "late") ++late_pairs;
            if (t.kind == "blank") {
                ++blank_pairs;
                if (detected) ++blank_detected;
                continue;
            }
            const auto truth_activity = t.activity.find(n);
            if (truth_activity == t.activity.end() || verdict == "not_computable") continue;
            const double a_true = truth_activity->second;
            if (!detected) {
                ++missed_pairs;
                const double limit = number(row, "detection_limit");
                if (!std::isfinite(limit))
                    ++missed_no_limit;
                else if (a_true < limit)
                    ++missed_below;
                continue;
            }
            const double a = number(row, "activity"), u = number(row, "d_activity");
            if (t.nuclides.at(n) >= 30.0 && std::isfinite(a) && u > 0.0) {
                ++strong_activities;
                const double r = a / a_true - 1.0;
                bias_sum += r;
                bias_square += r * r;
                const double z2 = (a - a_true) * (a - a_true) / (u * u);
                z2_sum += z2;
                if (z2 > 25.0)
                    ++gross_failures;
                else
                    z2_kept += z2;
                if (verbose && (a - a_true) * (a - a_true) / (u * u) > 16.0)
                    std::printf("%s (%s) %s activity %g +- %g, true %g\n", name.c_str(),
                                t.kind.c_str(), n.c_str(), a, u, a_true);
            }
        }
        if (found.recalibrated) {
            ++recalibrated;
            const double ch = t.channel_1500;
            const double error = found.c0 + (found.c1 + found.c2 * ch) * ch - 1500.0;
            sum_square += error * error;
            worst = std::max(worst, std::fabs(error));
            if (std::fabs(error) <= 0.1) ++within;
        }
    }
    auto percent = [](int a, int b) { return b > 0 ? 100.0 * a / b : 0.0; };
    std::printf("| measure | value | target |\n|---|---|---|\n");
    std::printf("| spectra | %zu | |\n", truth.spectra.size());
    std::printf(
        "| precision (true / identified), without no_calibration | %.1f %% (%d / %d) | >= 99 %% "
        "|\n",
        percent(all.right, all.reported), all.right, all.reported);
    std::printf(
        "| recall (strongest line >= 10 sigma), without no_calibration | %.1f %% (%d / %d) | >= 98 "
        "%% |\n",
        percent(all.strong_found, all.strong), all.strong_found, all.strong);
    for (const auto& [kind, k] : by_kind)
        std::printf("| %s: precision, recall | %.1f %% (%d / %d), %.1f %% (%d / %d) | |\n",
                    kind.c_str(), percent(k.right, k.reported), k.right, k.reported,
                    percent(k.strong_found, k.strong), k.strong_found, k.strong);
    const double n = strong_activities;
    const double mean_bias = n > 0 ? bias_sum / n : 0.0;
    const double bias_error =
        n > 1 ? std::sqrt(std::max(0.0, bias_square / n - mean_bias * mean_bias) / (n - 1)) : 0.0;
    std::printf(
        "| activity bias, detected above 30 sigma | %+.2f %% +- %.2f %% (%d) | within 1 %% |\n",
        100.0 * mean_bias, 100.0 * bias_error, strong_activities);
    std::printf("| mean z^2 of those activities | %.3f | <= 1.25 |\n", n > 0 ? z2_sum / n : 0.0);
    std::printf("| ... without the %d beyond 5 sigma | %.3f | |\n", gross_failures,
                n > gross_failures ? z2_kept / (n - gross_failures) : 0.0);
    std::printf("| blanks: always-reported pairs detected | %.2f %% (%d / %d) | 5 %% +- 2 %% |\n",
                percent(blank_detected, blank_pairs), blank_detected, blank_pairs);
    std::printf(
        "| present, not detected: true activity below y# | %.1f %% (%d / %d, %d without y#) "
        "| >= 90 %% |\n",
        percent(missed_below, missed_pairs), missed_below, missed_pairs, missed_no_limit);
    std::printf("| limits or activities above 1e30 Bq | %d | 0 |\n", absurd);
    std::printf("| no_calibration: identified, limits given | %d, %d | 0, 0 |\n",
                by_kind["no_calibration"].reported, uncalibrated_numbers);
    std::printf("| not computable (late batch pairs: %d) | %d | |\n", late_pairs, not_computable);
    std::printf(
        "| recalibrated spectra; rms error at 1.5 MeV; within 0.1 keV | %d; %.3f keV; %.1f %% | "
        "|\n",
        recalibrated, recalibrated ? std::sqrt(sum_square / recalibrated) : 0.0,
        percent(within, recalibrated));
    std::printf("\nfalse:");
    for (const auto& [name, c] : false_names) std::printf(" %s %d", name.c_str(), c);
    std::printf("\nmissed:");
    for (const auto& [name, c] : missed_names) std::printf(" %s %d", name.c_str(), c);
    std::printf("\n");
    return 0;
}
