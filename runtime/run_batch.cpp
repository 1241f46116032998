#include "run_batch.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <mutex>
#include <set>

#include "contract/result_schema.h"
#include "nuclides/library_files.h"
#include "pipeline/activity_step.h"
#include "pipeline/analyse_spectrum.h"
#include "pipeline/background_step.h"
#include "pipeline/nuclide_results.h"
#include "pipeline/nuclide_step.h"
#include "pipeline/result_building.h"
#include "pipeline/sum_peaks.h"
#include "platform/result_set.h"
#include "platform/text_helpers.h"
#include "raw_calibration.h"
#include "report_page.h"
#include "results/result_writer.h"
#include "spectrum/chn_reader.h"
#include "svg_plot.h"
#include "work_pool.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace sorvane {
namespace {

long process_id() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<long>(getpid());
#endif
}

std::string receipt_text() {
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "unknown";
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", utc);
    return std::string("time = ") + stamp + "\r\nprocess = " + std::to_string(process_id()) +
           "\r\n";
}

struct Outcome {
    bool analysed = false;
    std::size_t peaks = 0;
    std::string reason;  // why the spectrum was not analysed
};

// Removes a file of an earlier result set that this run does not write again.
void remove_stale(FileSystem& fs, const std::string& path, std::vector<std::string>& messages) {
    if (!fs.file_exists(path)) return;
    const FsResult removed = fs.remove_file(path);
    if (!removed.ok()) messages.push_back("cannot delete " + path + ": " + removed.reason);
}

// Writes next to the target and renames, so the target appears complete or not at all.
FsResult write_whole(FileSystem& fs, const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    FsResult written = fs.write_file(temporary, text);
    if (!written.ok()) return written;
    FsResult renamed = fs.rename_file(temporary, path);
    if (!renamed.ok()) fs.remove_file(temporary);
    return renamed;
}

// What identification and the activities need, read once per run and shared unchanged.
struct NuclideWork {
    NuclideRun run;
    LoadedCurve curve;
    BackgroundSpectrum background;  // the settings' background spectrum, analysed once
};

// The activities of one spectrum, when the settings name an efficiency file.
std::optional<ActivityResult> activities_of(const NuclideWork& work, const NuclideFindings& found,
                                            const SpectrumAnalysis& analysis,
                                            std::span<const double> counts,
                                            const SpectrumFacts& facts,
                                            std::span<const ClaimedSumPeak> sum_peaks) {
    if (work.run.settings.efficiency_file.empty()) return std::nullopt;
    ActivitySpectrum spectrum;
    spectrum.analysis = &analysis;
    spectrum.counts = counts;
    spectrum.live_time_s = facts.live_time;
    spectrum.real_time_s = facts.real_time;
    spectrum.start = facts.start;
    spectrum.energy_calibrated = found.energy_calibrated;
    spectrum.sum_peaks.assign(sum_peaks.begin(), sum_peaks.end());
    for (const BackgroundPeak& b : work.background.peaks)
        spectrum.background.push_back(
            {b.energy_kev, b.cps * facts.live_time, b.d_cps * facts.live_time});
    if (found.recalibration.done) {
        const auto& e = found.recalibration.energy;
        spectrum.energy = analysis::EnergyCalibration{e.c0, e.c1, e.c2, false};
        spectrum.scale = scale_check(found.recalibration);
    }
    ActivityResult result = activity_step(activity_candidates(work.run, found), spectrum,
                                          work.run.settings, work.curve);
    for (const std::string& name : work.run.settings.always_report)
        if (work.run.library.lines_of(name).empty())
            result.messages.push_back("no limits for " + name + ": not in the line library");
    return result;
}

// One spectrum's result set as the analysis leaves it, before anything is written.
struct AnalysedSet {
    std::string input;   // the file read
    std::string output;  // the set's path without its extension
    Outcome outcome;
    ResultModel result;
    // The side files' texts; none where this run does not write one, so that a file
    // of an earlier set must go.
    std::optional<std::string> csv, svg, html;
    // Where, among the result's messages, the table's and plot's write failures stand:
    // after the analysis's own, before identification's.
    std::size_t side_messages_at = 0;
};

// The spectrum's file, decoded, or why it cannot be.
ChnDecode read_chn(const FileSystem& fs, const std::string& input, std::string& reason) {
    std::string bytes;
    const FsResult read = fs.read_file(input, bytes);
    if (!read.ok()) {
        reason = "cannot read " + input + ": " +
                 (read.reason.empty() ? std::string("file does not exist") : read.reason);
        return {};
    }
    ChnDecode decoded = decode_chn(bytes);
    if (!decoded.file) reason = input + " is no CHN file: " + decoded.reason;
    return decoded;
}

// The counts of a CHN file, a negative one read as 0; `negative` says how many were.
std::vector<double> counts_of(const ChnFile& chn, std::size_t& negative) {
    std::vector<double> counts(chn.counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        counts[i] = std::max(0, chn.counts[i]);
        if (chn.counts[i] < 0) ++negative;
    }
    return counts;
}

// Identification and the activities of one spectrum, with their messages, into its result.
void add_nuclides(ResultModel& result, const NuclideWork& work, const SpectrumAnalysis& analysis,
                  std::span<const double> counts, const RunRequest& request,
                  const SpectrumFacts& facts) {
    // Activities from the peaks net of the background, when one is named; a peak the
    // background explains identifies nothing.
    const BackgroundSubtraction net =
        subtract_background(analysis, facts.live_time, work.background);
    const std::vector<int> background_only = background_only_peaks(net);
    NuclideFindings found =
        find_nuclides(work.run, analysis, counts, request.options, relative_efficiency(work.curve),
                      efficiency_range(work.curve), background_only);
    result.messages.insert(result.messages.end(), found.messages.begin(), found.messages.end());
    if (!background_only.empty())
        result.messages.push_back(background_only_message(background_only));
    // A sum peak of an identified cascade is that nuclide's, not an unexplained peak,
    // and its predicted counts are background to any line that falls in it; they are
    // compared with what the sample gives there, net of the background spectrum.
    const SumPeakClaims sums = claim_sum_peaks(work.curve.corrections.cascade_peaks,
                                               net_areas(found.peaks, net), found.identification);
    const std::optional<ActivityResult> activity =
        activities_of(work, found, net.analysis, counts, facts, sums.peaks);
    if (activity)
        result.messages.insert(result.messages.end(), activity->messages.begin(),
                               activity->messages.end());
    result.messages.insert(result.messages.end(), sums.messages.begin(), sums.messages.end());
    add_nuclide_results(result, work.run, found, analysis, activity ? &*activity : nullptr);
    add_background_results(result, work.background, net);
}

// The analysis stage: reads and analyses one spectrum into its result and the texts
// of the side files asked for; writes nothing.
AnalysedSet analyse_set(const RunRequest& request, const FileSystem& fs, const std::string& base,
                        const NuclideWork& work) {
    const NuclideRun& nuclides = work.run;
    const char sep = fs.separator();
    const std::string folder = as_folder(request.chn_dir, sep);
    AnalysedSet set;
    set.input = folder + base + ".chn";
    // The result names the file actually read: "B.CHN" where that is how it is stored.
    if (const auto stored = fs.find_ignoring_case(folder, base + ".chn"))
        set.input = folder + *stored;
    set.output = as_folder(request.res_dir, sep) + base;
    SpectrumFacts facts;
    facts.input_path = set.input;
    const std::optional<RawSource> source = source_of(request.sources, base);
    if (source) {
        facts.raw_path = source->raw_path;
        facts.raw_type = std::to_string(source->type_code) + " " + source->type_name;
    }
    Outcome& outcome = set.outcome;
    ResultModel& result = set.result;
    try {
        const ChnDecode decoded = read_chn(fs, set.input, outcome.reason);
        if (!outcome.reason.empty()) {
            result = failed_result(facts, request.options, outcome.reason);
            return set;
        }
        const ChnFile& chn = *decoded.file;
        facts.live_time = chn.header.live_time / 50.0;
        facts.real_time = chn.header.real_time / 50.0;
        facts.channels = chn.counts.size();
        facts.start = start_text(text_of(chn.header.start_date), text_of(chn.header.start_time));
        std::size_t negative = 0;
        const std::vector<double> counts = counts_of(chn, negative);
        const RawCalibration table =
            raw_table_calibration(fs, source, chn.energy_calibration, counts.size());
        const std::array<float, 4>& terms = table.terms ? *table.terms : chn.energy_calibration;
        SpectrumAnalysis analysis = analyse_spectrum(counts, terms, request.options);
        if (!table.message.empty())
            analysis.messages.insert(analysis.messages.begin(), table.message);
        if (negative > 0)
            analysis.messages.insert(
                analysis.messages.begin(),
                std::to_string(negative) + " channels held negative counts, read as 0");
        if (facts.live_time <= 0.0) analysis.messages.push_back("live time is 0: no count rates");
        result = analysed_result(facts, request.options, analysis, counts);
        if (table.terms && analysis.energy.from_file)
            result.calibration.energy_source = std::string(table_energy_source);
        set.side_messages_at = result.messages.size();
        if (request.options.raw_data == analysis::RawDataOutput::csv) set.csv = result_csv(result);
        // The plot shows the peaks as analysed, before identification names them.
        const bool report = nuclides.active && nuclides.settings.write_report;
        const std::string plot =
            request.options.plot || report ? plot_svg(base, result) : std::string();
        if (request.options.plot) set.svg = plot;
        if (nuclides.active) add_nuclides(result, work, analysis, counts, request, facts);
        // The printable page, asked for in the nuclide settings.
        if (report) {
            const ReportInput page{base, chn.sample_description,   &result,
                                   plot, "Sorvane run_Tovalu.exe", &nuclides.settings};
            set.html = report_page(page);
        }
        outcome.analysed = true;
        outcome.peaks = analysis.peaks.size();
    } catch (const std::exception& error) {
        outcome = Outcome{false, 0, std::string("analysis stopped: ") + error.what()};
        result = failed_result(facts, request.options, outcome.reason);
        set.csv.reset();
        set.svg.reset();
        set.html.reset();
    }
    return set;
}

// Writes a side file of the set, or removes the earlier set's one when this run has none.
void write_side_file(FileSystem& fs, const std::string& path,
                     const std::optional<std::string>& text, std::vector<std::string>& messages) {
    if (!text) {
        remove_stale(fs, path, messages);
        return;
    }
    const FsResult written = write_whole(fs, path, *text);
    if (!written.ok()) messages.push_back("cannot write " + path + ": " + written.reason);
}

// The writing stage. The new result replaces the set whole: a table, plot or page
// not asked for this time must not stay beside it. A failure never replaces a
// result: the earlier one stays and the log says why.
Outcome write_set(const RunRequest& request, FileSystem& fs, AnalysedSet set,
                  std::mutex& run_log_guard) {
    Outcome& outcome = set.outcome;
    const std::string& output = set.output;
    if (!outcome.analysed && fs.file_exists(output + ".res")) {
        outcome.reason += "; the earlier result " + output + ".res is kept";
        const std::lock_guard one_writer(run_log_guard);  // the log is read, extended, written
        const FsResult logged = append_run_log(fs, as_folder(request.res_dir, fs.separator()),
                                               local_time_stamp(), set.input, outcome.reason);
        if (!logged.ok()) outcome.reason += " (not logged: " + logged.reason + ")";
        return outcome;
    }
    if (outcome.analysed) {
        std::vector<std::string> side_messages;
        write_side_file(fs, output + ".csv", set.csv, side_messages);
        write_side_file(fs, output + ".svg", set.svg, side_messages);
        std::vector<std::string>& messages = set.result.messages;
        messages.insert(messages.begin() + static_cast<std::ptrdiff_t>(set.side_messages_at),
                        side_messages.begin(), side_messages.end());
        write_side_file(fs, output + ".html", set.html, messages);
    } else {
        std::vector<std::string> ignored;
        for (const char* extension : {".csv", ".svg", ".html"})
            remove_stale(fs, output + extension, ignored);
    }
    const FsResult written = write_whole(fs, output + ".res", write_result(set.result));
    if (!written.ok()) {
        outcome.analysed = false;
        outcome.reason = "cannot write " + output + ".res: " + written.reason;
    }
    return outcome;
}

Outcome analyse_one(const RunRequest& request, FileSystem& fs, const std::string& base,
                    const NuclideWork& work, std::mutex& run_log_guard) {
    return write_set(request, fs, analyse_set(request, fs, base, work), run_log_guard);
}

}  // namespace

std::string refused_name_reason(const std::string& base_name) {
    if (base_name == "." || base_name == "..")
        return "the name \"" + base_name + "\" names a folder";
    if (base_name.find_first_of("/\\:") != std::string::npos)
        return "the name \"" + base_name + "\" holds a path separator or drive colon";
    return {};
}

std::string start_text(std::string_view date, std::string_view time) {
    static constexpr std::string_view months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                  "jul", "aug", "sep", "oct", "nov", "dec"};
    auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
    };
    std::string out;
    if (date.size() >= 8 && digits(date.substr(0, 2)) && digits(date.substr(5, 2))) {
        const std::string month = lower_text(std::string(date.substr(2, 3)));
        const auto found = std::find(std::begin(months), std::end(months), month);
        if (found != std::end(months)) {
            const int number = static_cast<int>(found - std::begin(months)) + 1;
            const std::string century = date[7] == '1' ? "20" : "19";
            out = century + std::string(date.substr(5, 2)) + "-" + (number < 10 ? "0" : "") +
                  std::to_string(number) + "-" + std::string(date.substr(0, 2));
        }
    }
    if (time.size() >= 6 && digits(time.substr(0, 6))) {
        if (!out.empty()) out += ' ';
        out += std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2)) + ":" +
               std::string(time.substr(4, 2));
    }
    return out;
}

int run_batch(const RunRequest& request, FileSystem& fs, std::ostream& log) {
    const auto started = std::chrono::steady_clock::now();
    const std::string receipt = as_folder(request.system_dir, fs.separator()) +
                                std::string(result_schema::receipt_file_name);
    const FsResult wrote_receipt = fs.write_file(receipt, receipt_text());
    if (!wrote_receipt.ok())
        log << "cannot write " << receipt << ": " << wrote_receipt.reason << "\n";

    // The line library is read once; every spectrum uses it unchanged.
    NuclideWork nuclides{
        load_nuclide_run(fs, request.system_dir, bundled_library_folders(fs), log), {}, {}};
    if (nuclides.run.active) {
        nuclides.curve = load_activity_curve(fs, request.system_dir, nuclides.run.settings);
        if (nuclides.curve.curve) {
            nuclides.curve.corrections = load_line_corrections(
                fs, request.system_dir,
                nuclides::find_bundled_library(fs, bundled_library_folders(fs)),
                nuclides.run.settings, *nuclides.curve.curve);
            nuclides.curve.problems.insert(nuclides.curve.problems.end(),
                                           nuclides.curve.corrections.problems.begin(),
                                           nuclides.curve.corrections.problems.end());
        }
        for (const auto& problem : nuclides.curve.problems) log << problem << "\n";
        nuclides.background =
            load_background(fs, request.system_dir, nuclides.run.settings, request.options);
        for (const auto& problem : nuclides.background.problems) log << problem << "\n";
    }
    // The names in the control file's order; a refused one keeps its place for its line.
    struct Job {
        std::string base;
        std::string refusal;
        Outcome outcome;
        double ms = 0.0;
    };
    std::vector<Job> jobs;
    std::set<std::string> seen;
    for (const auto& base : request.base_names) {
        if (base.empty()) continue;
        if (!seen.insert(lower_text(base)).second) continue;  // names are compared ignoring case
        jobs.push_back({base, refused_name_reason(base), {}, 0.0});
    }
    std::mutex run_log_guard;
    std::size_t analysed = 0, failed = 0, refused = 0, peaks = 0;
    const auto analyse = [&](std::size_t i) {
        Job& job = jobs[i];
        if (!job.refusal.empty()) return;
        const auto begin = std::chrono::steady_clock::now();
        job.outcome = analyse_one(request, fs, job.base, nuclides, run_log_guard);
        job.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                     .count();
    };
    const auto report = [&](std::size_t i) {
        const Job& job = jobs[i];
        if (!job.refusal.empty()) {
            log << job.base << ": refused: " << job.refusal << "\n";
            ++refused;
            return;
        }
        char elapsed[32];
        std::snprintf(elapsed, sizeof elapsed, "%.2f", job.ms);
        if (job.outcome.analysed) {
            ++analysed;
            peaks += job.outcome.peaks;
            log << job.base << ": " << job.outcome.peaks << " peaks, " << elapsed << " ms\n";
        } else {
            ++failed;
            log << job.base << ": failed: " << job.outcome.reason << " (" << elapsed << " ms)\n";
        }
    };
    run_in_order(jobs.size(), request.workers, analyse, report);
    const double total =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.1f", total);
    log << "analysed " << analysed << " of " << (analysed + failed + refused) << " spectra, "
        << peaks << " peaks, " << failed << " failed, " << refused << " refused, " << elapsed
        << " ms\n";
    return failed + refused == 0 ? run_all_analysed : run_some_failed;
}

}  // namespace sorvane
