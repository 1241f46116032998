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
#include "nuclides/line_library.h"
#include "platform/posix_file_system.h"
#include "results/result_file.h"
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

// What a result says of the nuclides and the recalibration.
struct Found {
    std::set<std::string> identified;
    std::map<std::string, sorvane::NuclideRow> rows;
    bool recalibrated = false;
    double c0 = 0, c1 = 0, c2 = 0;
};

// Special entries (annihilation, lead X-rays) explain peaks; they are no nuclide.
Found found_in(const std::string& text, const sorvane::nuclides::LineLibrary& library) {
    const sorvane::ResultModel result = sorvane::read_result(text);
    Found found;
    const std::vector<double>& energy = result.calibration.recalibrated_energy;
    if (energy.size() >= 3) {
        found.recalibrated = true;
        found.c0 = energy[0], found.c1 = energy[1], found.c2 = energy[2];
    }
    for (const sorvane::NuclideRow& row : result.nuclides.rows) {
        if (library.special(row.nuclide)) continue;
        if (row.identified.value_or(false)) found.identified.insert(row.nuclide);
        found.rows[row.nuclide] = row;
    }
    return found;
}

double number(const sorvane::Number& value) {
    return value.value_or(std::nan(""));
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
        if (!library.special(n.name) && !library.lines_of(n.name).empty())
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
        const Found found = found_in(res, library);
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
                if (std::isfinite(number(row.decision_threshold))) ++uncalibrated_numbers;
                continue;
            }
            // Results of earlier versions have no decision column: their verdict decides.
            using sorvane::Verdict;
            const bool detected = row.decision == Verdict::none ? row.verdict == Verdict::detected
                                                                : row.decision == Verdict::detected;
            for (const sorvane::Number& value :
                 {row.decision_threshold, row.detection_limit, row.activity}) {
                const double v = number(value);
                if (std::isfinite(v) && std::fabs(v) > 1e30) {
                    ++absurd;
                    break;
                }
            }
            if (row.verdict == Verdict::not_computable) ++not_computable;
            if (t.kind == "late") ++late_pairs;
            if (t.kind == "blank") {
                ++blank_pairs;
                if (detected) ++blank_detected;
                continue;
            }
            const auto truth_activity = t.activity.find(n);
            if (truth_activity == t.activity.end() || row.verdict == Verdict::not_computable)
                continue;
            const double a_true = truth_activity->second;
            if (!detected) {
                ++missed_pairs;
                const double limit = number(row.detection_limit);
                if (!std::isfinite(limit))
                    ++missed_no_limit;
                else if (a_true < limit)
                    ++missed_below;
                else if (verbose)
                    std::printf("%s (%s) %s not detected, true %g above the limit %g\n",
                                name.c_str(), t.kind.c_str(), n.c_str(), a_true, limit);
                continue;
            }
            const double a = number(row.activity), u = number(row.d_activity);
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
