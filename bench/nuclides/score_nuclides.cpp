// Analyses the synthetic mixtures of synth_nuclides with identification on, the way
// the runtime runs a batch, and scores the results against the truth: precision of
// the nuclides reported, recall of those whose strongest line stands at 10 sigma or
// more, and the recalibrated energy's error at 1.5 MeV.
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
#include "platform/posix_file_system.h"
#include "run_batch.h"

namespace {

struct Truth {
    std::map<std::string, double> nuclides;  // name: significance of its strongest line
    double channel_1500 = 0.0;
};

std::map<std::string, Truth> read_truth(const std::string& path) {
    std::map<std::string, Truth> truth;
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
        if (kind == "nuclide") truth[spectrum].nuclides[name] = std::stod(value);
        if (kind == "truth_channel_1500") truth[spectrum].channel_1500 = std::stod(value);
    }
    return truth;
}

struct Found {
    std::set<std::string> identified;
    bool recalibrated = false;
    int lines = 0;
    double c0 = 0, c1 = 0, c2 = 0;
};

Found read_result(const std::string& text) {
    Found found;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            section = line;
            continue;
        }
        if (line.rfind("recalibrated_energy = ", 0) == 0) {
            std::istringstream terms(line.substr(22));
            found.recalibrated = static_cast<bool>(terms >> found.c0 >> found.c1 >> found.c2);
        }
        if (line.rfind("recalibration_lines = ", 0) == 0) found.lines = std::stoi(line.substr(22));
        if (section == "[nuclides]") {
            std::istringstream fields(line);
            std::string name, yes;
            if (fields >> name >> yes && yes == "yes" && name != "Annihilation-511")
                found.identified.insert(name);
        }
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: score_nuclides DIR   (DIR holds truth.csv and the CHN files)\n";
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    const auto truth = read_truth(dir + "truth.csv");
    sorvane::PosixFileSystem fs;
    sorvane::NuclideSettings settings;
    settings.identify = true;
    fs.write_file(dir + std::string(sorvane::nuclide_settings_file_name),
                  sorvane::render_nuclide_settings(settings));
    sorvane::RunRequest request;
    request.system_dir = dir;
    request.chn_dir = dir;
    request.res_dir = dir;
    // The width points of the synthetic detector: FWHM 2.0 channels at 200, 3.8 at 3000.
    request.options.low = {200.0, 70.0, 2.0};
    request.options.high = {3000.0, 1050.0, 3.8};
    for (const auto& [name, t] : truth) request.base_names.push_back(name);
    std::ostringstream log;
    sorvane::run_batch(request, fs, log);

    int reported = 0, right = 0, strong = 0, strong_found = 0, recalibrated = 0, within = 0;
    double sum_square = 0.0, worst = 0.0;
    // The error at 1.5 MeV by how many lines set the recalibration: one line gives an
    // offset only, which cannot undo a stretch.
    struct ByLines {
        const char* label;
        int low, high;
        int spectra = 0, within = 0;
        double sum_square = 0.0, worst = 0.0;
    };
    ByLines by_lines[] = {{"1 line (offset)", 1, 1},
                          {"2-3 lines (linear)", 2, 3},
                          {"4 or more lines (quadratic)", 4, 1000}};
    const bool verbose = std::getenv("SCORE_VERBOSE") != nullptr;
    std::map<std::string, int> false_names, missed_names;
    for (const auto& [name, t] : truth) {
        std::string text;
        if (!fs.read_file(dir + name + ".res", text).ok()) continue;
        const Found found = read_result(text);
        for (const auto& n : found.identified) {
            ++reported;
            if (t.nuclides.count(n))
                ++right;
            else
                ++false_names[n];
        }
        for (const auto& [n, significance] : t.nuclides) {
            if (significance < 10.0) continue;
            ++strong;
            if (found.identified.count(n))
                ++strong_found;
            else
                ++missed_names[n];
        }
        if (found.recalibrated) {
            ++recalibrated;
            const double ch = t.channel_1500;
            const double error = found.c0 + (found.c1 + found.c2 * ch) * ch - 1500.0;
            sum_square += error * error;
            worst = std::max(worst, std::fabs(error));
            if (std::fabs(error) <= 0.1) ++within;
            for (auto& group : by_lines)
                if (found.lines >= group.low && found.lines <= group.high) {
                    ++group.spectra;
                    group.sum_square += error * error;
                    group.worst = std::max(group.worst, std::fabs(error));
                    if (std::fabs(error) <= 0.1) ++group.within;
                }
            if (verbose) std::printf("%s lines %d error %.3f\n", name.c_str(), found.lines, error);
        }
        if (verbose) {
            for (const auto& n : found.identified)
                if (!t.nuclides.count(n)) std::printf("%s false %s\n", name.c_str(), n.c_str());
            for (const auto& [n, significance] : t.nuclides)
                if (significance >= 10.0 && !found.identified.count(n))
                    std::printf("%s missed %s (%.1f sigma)\n", name.c_str(), n.c_str(),
                                significance);
        }
    }
    auto percent = [](int a, int b) { return b > 0 ? 100.0 * a / b : 0.0; };
    std::printf("| measure | value | target |\n|---|---|---|\n");
    std::printf("| spectra | %zu | |\n", truth.size());
    std::printf("| precision (true / reported) | %.1f %% (%d / %d) | >= 98 %% |\n",
                percent(right, reported), right, reported);
    std::printf("| recall (strongest line >= 10 sigma) | %.1f %% (%d / %d) | >= 95 %% |\n",
                percent(strong_found, strong), strong_found, strong);
    std::printf("| recalibrated spectra | %d | |\n", recalibrated);
    std::printf("| error at 1.5 MeV: rms, worst | %.3f keV, %.3f keV | <= 0.1 keV |\n",
                recalibrated ? std::sqrt(sum_square / recalibrated) : 0.0, worst);
    std::printf("| within 0.1 keV at 1.5 MeV | %.1f %% | |\n", percent(within, recalibrated));
    for (const auto& group : by_lines)
        std::printf(
            "| %s: spectra, rms, worst, within 0.1 keV | %d, %.3f keV, %.3f keV, %.1f %% | |\n",
            group.label, group.spectra,
            group.spectra ? std::sqrt(group.sum_square / group.spectra) : 0.0, group.worst,
            percent(group.within, group.spectra));
    std::printf("\nfalse:");
    for (const auto& [n, c] : false_names) std::printf(" %s %d", n.c_str(), c);
    std::printf("\nmissed:");
    for (const auto& [n, c] : missed_names) std::printf(" %s %d", n.c_str(), c);
    std::printf("\n");
    return 0;
}
