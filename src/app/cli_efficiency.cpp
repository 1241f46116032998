#include <charconv>
#include <ostream>

#include "activity/certificate_file.h"
#include "activity/efficiency_storage.h"
#include "app/cli.h"
#include "corrections/cascade_files.h"
#include "nuclides/library_files.h"
#include "pipeline/line_corrections.h"
#include "platform/system_folder.h"
#include "results/certificate_calibration.h"
#include "results/result_file.h"

#ifndef SORVANE_RUNTIME_DIR
#define SORVANE_RUNTIME_DIR ""
#endif

namespace sorvane {
namespace {

constexpr const char* efficiency_usage =
    "usage: sorvanecli efficiency RESULT.res --certificate FILE.csv --out EFF.txt\n"
    "                  [--source NAME] [--order 2..5] [--library DIR] [--standard NAME]\n"
    "                  [--leave-out NUCLIDE,...] [--shared-certificate]\n"
    "                  [--peak-to-total PT.txt [--cascades FILE] [--geometry SETTINGS]]\n";

struct EfficiencyRequest {
    std::string result;
    std::string certificate;
    std::string out;
    std::string source;     // the certificate's rows of this source; empty: by spectrum name
    std::string library;    // the bundled line library's folder; empty: beside the program
    std::string standard;   // the name kept with the curve; empty: the result's base name
    std::string leave_out;  // nuclides not used (true-coincidence summing, say), comma separated
    std::string peak_to_total;  // set: the lines are corrected for coincidence summing
    std::string cascades;       // a laboratory's cascades, beside the bundled ones
    // Nuclide settings whose jar, detector disk and standard's matter the standard was
    // counted in: the factors averaged over its volume, as the runtime's are.
    std::string geometry;
    int order = 3;
    // The nuclides' certified uncertainties shared by the whole standard.
    bool shared_certificate = false;
};

std::optional<EfficiencyRequest> parse(const std::vector<std::string>& args, std::ostream& err) {
    EfficiencyRequest request;
    const std::pair<const char*, std::string*> valued[] = {
        {"--certificate", &request.certificate},
        {"--out", &request.out},
        {"--source", &request.source},
        {"--library", &request.library},
        {"--standard", &request.standard},
        {"--leave-out", &request.leave_out},
        {"--peak-to-total", &request.peak_to_total},
        {"--cascades", &request.cascades},
        {"--geometry", &request.geometry},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool known = false;
        for (const auto& [name, target] : valued)
            if (args[i] == name) {
                if (i + 1 >= args.size()) {
                    err << "sorvanecli efficiency: " << name << " needs a value\n";
                    return std::nullopt;
                }
                *target = args[++i];
                known = true;
            }
        if (known) continue;
        if (args[i] == "--shared-certificate") {
            request.shared_certificate = true;
        } else if (args[i] == "--order") {
            const std::string& text = i + 1 < args.size() ? args[++i] : std::string();
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), request.order);
            if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
                err << "sorvanecli efficiency: --order needs a whole number, 2 to 5\n";
                return std::nullopt;
            }
        } else if (!args[i].empty() && args[i][0] == '-') {
            err << "sorvanecli efficiency: unknown option \"" << args[i] << "\"\n";
            return std::nullopt;
        } else if (request.result.empty()) {
            request.result = args[i];
        } else {
            err << "sorvanecli efficiency: one result only, not also \"" << args[i] << "\"\n";
            return std::nullopt;
        }
    }
    if (request.result.empty() || request.certificate.empty() || request.out.empty()) {
        err << efficiency_usage;
        return std::nullopt;
    }
    if (!request.geometry.empty() && request.peak_to_total.empty()) {
        err << "sorvanecli efficiency: --geometry shapes the summing correction: give "
               "--peak-to-total too\n";
        return std::nullopt;
    }
    return request;
}

std::string base_name(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The bundled library: the folder asked for, else beside the runtime this program
// was built with, else beside the program as installed.
std::string library_folder(const FileSystem& fs, const std::string& asked) {
    const char s = fs.separator();
    if (!asked.empty()) return asked.back() == s ? asked : asked + s;
    std::vector<std::string> folders;
    if (*SORVANE_RUNTIME_DIR) folders.push_back(std::string(SORVANE_RUNTIME_DIR) + "nuclides" + s);
    const std::string beside = executable_folder();
    if (!beside.empty()) {
        folders.push_back(beside + "nuclides" + s);
        folders.push_back(beside + ".." + s + "share" + s + "sorvane" + s + "nuclides" + s);
    }
    return nuclides::find_bundled_library(fs, folders);
}

// The peak-to-total curve and the cascades (the bundled ones beside the line library,
// then the laboratory's); a problem in words when they cannot be used.
std::optional<SummingInputs> summing_inputs(const FileSystem& fs, const EfficiencyRequest& request,
                                            const std::string& folder, std::string& problem) {
    std::string text, why;
    const FsResult read = fs.read_file(request.peak_to_total, text);
    const auto pt = read.ok() ? corrections::read_peak_to_total(text, why) : std::nullopt;
    if (!pt) {
        problem = (read.ok() ? "the peak-to-total file " : "cannot read ") + request.peak_to_total +
                  ": " + (read.ok() ? why : read.reason);
        return std::nullopt;
    }
    std::vector<std::string> files = {folder + std::string(corrections::bundled_cascades_file)};
    if (!request.cascades.empty()) {
        if (!fs.read_file(request.cascades, text).ok()) {
            problem = "cannot read the cascades file " + request.cascades;
            return std::nullopt;
        }
        files.push_back(request.cascades);
    }
    SummingInputs inputs{*pt, corrections::load_cascades(fs, files)};
    if (inputs.cascades.cascades.empty()) {
        problem = "no cascades in " + files.front() +
                  (request.cascades.empty() ? "" : " or " + request.cascades);
        return std::nullopt;
    }
    if (!request.geometry.empty()) {
        const FsResult read_settings = fs.read_file(request.geometry, text);
        const NuclideSettingsRead settings = parse_nuclide_settings(text);
        if (!read_settings.ok() || !settings.problems.empty()) {
            problem = "the geometry file " + request.geometry + ": " +
                      (read_settings.ok() ? settings.problems.front() : read_settings.reason);
            return std::nullopt;
        }
        std::string no_table;
        inputs.cells = standard_jar_cells(fs, folder, settings.settings, no_table);
        if (!no_table.empty()) {
            problem = "the geometry file " + request.geometry + " gives the standard's matter, " +
                      "but the attenuation table cannot be read: " + no_table;
            return std::nullopt;
        }
        if (!inputs.cells) {
            problem = "the geometry file " + request.geometry +
                      " sizes no jar on the end cap (container cylinder, container_diameter_cm, "
                      "fill_height_cm, detector_diameter_cm)";
            return std::nullopt;
        }
    }
    return inputs;
}

}  // namespace

int run_efficiency(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
                   std::ostream& err) {
    const auto request = parse(args, err);
    if (!request) return 2;
    std::string result_text, certificate_text;
    for (const auto& [path, text] : {std::pair{&request->result, &result_text},
                                     std::pair{&request->certificate, &certificate_text}}) {
        const FsResult read = fs.read_file(*path, *text);
        if (!read.ok()) {
            err << "sorvanecli efficiency: cannot read " << *path << ": " << read.reason << '\n';
            return 1;
        }
    }
    const ResultModel standard = read_result(result_text);
    const activity::CertificateRead certificate =
        activity::parse_certificate_file(certificate_text, request->certificate);
    const activity::CertificateChoice choice =
        activity::choose_certificate(certificate, base_name(request->result), request->source);
    if (!choice.problem.empty()) {
        err << "sorvanecli efficiency: " << choice.problem << '\n';
        return 1;
    }
    std::vector<activity::CertifiedValue> values;
    std::string left_out;
    for (const activity::CertifiedValue& value : choice.values) {
        if (("," + request->leave_out + ",").find("," + value.nuclide + ",") == std::string::npos)
            values.push_back(value);
        else if (left_out.find(value.nuclide) == std::string::npos)
            left_out += (left_out.empty() ? "" : ", ") + value.nuclide;
    }
    const std::string folder = library_folder(fs, request->library);
    nuclides::LineLibrary library = nuclides::load_line_library(fs, NuclideSettings{}, folder);
    if (library.lines.empty()) {
        err << "sorvanecli efficiency: no line library found"
            << (folder.empty() ? std::string() : " in " + folder) << " (give --library DIR)\n";
        for (const std::string& problem : library.problems) err << "  " << problem << '\n';
        return 1;
    }
    std::optional<SummingInputs> summing;
    if (!request->peak_to_total.empty()) {
        std::string problem;
        summing = summing_inputs(fs, *request, folder, problem);
        if (!summing) {
            err << "sorvanecli efficiency: " << problem << '\n';
            return 1;
        }
    }
    const std::string name =
        request->standard.empty() ? base_name(request->result) : request->standard;
    const CertificateCalibration calibration = calibrate_from_certificate(
        standard, library, values, request->order, name,
        request->shared_certificate ? NuclideCorrelation::shared : NuclideCorrelation::independent,
        summing ? &*summing : nullptr);
    out << "standard: " << request->result << " (" << name << "), certificate "
        << request->certificate << '\n';
    if (!left_out.empty()) out << "left out as asked: " << left_out << '\n';
    if (summing) {
        out << "peak-to-total: " << request->peak_to_total << '\n';
        if (summing->cells)
            out << "summing averaged over the standard's jar of " << request->geometry << '\n';
        for (const std::string& problem : summing->cascades.problems)
            out << "note: " << problem << '\n';
    }
    for (const std::string& line : calibration.report) out << line << '\n';
    if (!calibration.fit.problem.empty()) return 1;
    const FsResult saved = activity::save_efficiency_file(fs, request->out, calibration.fit.curve);
    if (!saved.ok()) {
        err << "sorvanecli efficiency: cannot write " << request->out << ": " << saved.reason
            << '\n';
        return 1;
    }
    out << "efficiency file written: " << request->out << '\n';
    return 0;
}

}  // namespace sorvane
