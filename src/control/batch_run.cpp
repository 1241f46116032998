#include "control/batch_run.h"

#include <algorithm>
#include <unordered_set>

#include "contract/result_schema.h"
#include "import/base_name.h"
#include "import/raw_file_types.h"
#include "import/read_raw_file.h"
#include "platform/dos_pattern.h"
#include "platform/text_helpers.h"
#include "spectrum/chn_writer.h"

namespace sorvane {
namespace {

std::string progress_text(std::string_view what, std::size_t done, std::size_t total) {
    return std::string(what) + " " + std::to_string(done) + " of " + std::to_string(total);
}

// How many missing results in a row a pass of the wait looks at before it stops:
// more than the spectra a runtime analyses at once, so none written early is missed.
constexpr std::size_t looks_past_missing = 64;

std::string counted(std::size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

// Where the run log names every file a cut list leaves out, or why it cannot.
std::string log_sentence(const BatchReport& report) {
    if (!report.log_problem.empty())
        return "\r\nThe run log " + report.log_path +
               " could not be written: " + report.log_problem;
    return "\r\nThe run log " + report.log_path + " names every one.";
}

}  // namespace

// The base names of the listed names, each once, in list order (names too short
// for one are left out, as the control file leaves them out).
std::vector<std::string> distinct_bases(const std::vector<std::string>& names) {
    std::vector<std::string> bases;
    for (const std::string& name : names) {
        const std::string base = base_name_of(name);
        auto same = [&](const std::string& known) { return equal_ignoring_case(known, base); };
        if (!base.empty() && std::none_of(bases.begin(), bases.end(), same)) bases.push_back(base);
    }
    return bases;
}

std::string receipt_path(const std::string& system_dir, char separator) {
    return system_dir + separator + std::string(result_schema::receipt_file_name);
}

BatchReport BatchRun::run(const BatchRequest& request, const ControlFileWrite& write_control_file) {
    BatchReport report;
    converted_bases_.clear();
    converted_sources_.clear();
    if (!result_folder_writable(request, report)) return report;
    log_lines_.clear();
    report.log_path = request.res_dir + std::string(run_log_name);
    report.run = {request.res_dir, {}, timing_.clock()};
    // One listing of the result folder serves the whole run.
    listed_.emplace(fs_, request.res_dir);
    earlier_.reset();
    // Sets that a run cut short by a crash of the window left aside go back first.
    note_settled(request, settle_left_aside(files(), request.system_dir), report);
    const bool converts = request.type_code > 1;
    const bool waits = converts && request.conversion == ChnConversion::temporary;
    if (waits)
        earlier_.emplace(files(), request.res_dir,
                         request.system_dir + fs_.separator() + std::string(aside_note_name));
    if (converts) convert_all(request, report);
    report.run.bases = converted_bases_;
    if (!converts)
        for (const std::string& name : request.selected_names)
            report.run.bases.push_back(base_name_of(name));
    // Before the runtime starts, which appends to the same log.
    write_log(request, report);

    // The runtime reads the CHN files from the result folder when they were converted.
    const bool written = write_control_file(converts ? request.res_dir : request.chn_dir);
    write_raw_sources(request, report);  // after the control file, which makes the folder
    report.control_file_failed = !written;
    report.run_start = run_start_time(request);
    report.handed_bases = converts ? converted_bases_ : distinct_bases(request.selected_names);
    const bool wanted = !(converts && request.conversion == ChnConversion::only_conversion);
    std::optional<std::int64_t> runtime;
    if (wanted && written && !report.cancelled) {
        runtime = start_runtime(request, report);
        report.runtime_id = runtime;
        // The control file is written again below: not before the runtime has read it.
        if (runtime) wait_for_receipt(request, *runtime);
        if (runtime && waits) wait_for_results(request, *runtime, report);
    }
    SettledSets settled;
    if (earlier_) settled = earlier_->settle();
    note_settled(request, settled, report);
    for (const std::string& base : report.missing_results)
        log(request.res_dir + base + ".res", "the analysis runtime ended without writing it");
    write_log(request, report);
    if (!report.missing_results.empty()) report_missing(request, report, settled);
    if (!write_control_file(request.chn_dir)) report.control_file_failed = true;
    if (!report.failures.empty()) report_failures(report);
    listed_.reset();
    return report;
}

void BatchRun::note_settled(const BatchRequest& request, const SettledSets& settled,
                            BatchReport& report) {
    for (const KeptSet& kept : settled.kept)
        log(request.res_dir + kept.base + ".res", kept.reason + "; the earlier result is kept");
    for (const std::string& problem : settled.problems) {
        log(request.res_dir, problem);
        report.failures.push_back({request.res_dir, problem});
    }
    report.earlier_kept += static_cast<int>(settled.kept.size());
}

void BatchRun::log(const std::string& file, const std::string& reason) {
    log_lines_.push_back(run_log_line(timing_.time_stamp(), file, reason));
}

void BatchRun::write_log(const BatchRequest& request, BatchReport& report) {
    const FsResult written = append_run_log_lines(files(), request.res_dir, log_lines_);
    log_lines_.clear();
    if (!written.ok() && report.log_problem.empty()) report.log_problem = written.reason;
}

// Every file of a run, the front end's CHN files and the runtime's results, lands in
// the result folder: one that cannot be written is said once, before anything is
// converted, and nothing else is done. A small file written and removed tells.
bool BatchRun::result_folder_writable(const BatchRequest& request, BatchReport& report) {
    const std::string probe = request.res_dir + std::string(write_check_name);
    const FsResult written = fs_.write_file(probe, "-");
    if (written.ok()) {
        fs_.remove_file(probe);
        return true;
    }
    report.result_folder_unwritable = true;
    ui_.message_box("The result folder cannot be written:\r\n" + request.res_dir + "\r\n" +
                        written.reason +
                        "\r\nNothing was converted and the analysis runtime was not started.",
                    application_title, Buttons::ok);
    return false;
}

void BatchRun::convert_all(const BatchRequest& request, BatchReport& report) {
    // The run never writes or deletes a file that is one of its own inputs.
    std::unordered_set<std::string> inputs;
    for (const std::string& name : request.selected_names)
        inputs.insert(lower_text(request.chn_dir + name));
    auto is_input = [&](const std::string& path) { return inputs.contains(lower_text(path)); };
    std::unordered_set<std::string> converted;  // lower case, for the names met again

    const std::size_t total = request.selected_names.size();
    for (std::size_t index = 0; index < total; ++index) {
        if (!ui_.show_progress(progress_text("converting", index + 1, total),
                               static_cast<int>(index), static_cast<int>(total))) {
            report.cancelled = true;
            break;
        }
        const std::string& name = request.selected_names[index];
        const std::string base = base_name_of(name);
        if (base.empty()) {
            ui_.message_box(
                "\"" + name +
                    "\" has no base name (four characters or fewer):\r\nthe file is skipped.",
                application_title, Buttons::ok);
            report.failures.push_back({name, "the name is too short for a base name"});
            log(request.chn_dir + name, "the name is too short for a base name");
            continue;
        }
        if (is_input(request.res_dir + base + ".chn") ||
            is_input(request.res_dir + base + ".res")) {
            ui_.message_box("\"" + name +
                                "\": its CHN or result file would replace a selected file:\r\n"
                                "the file is skipped.",
                            application_title, Buttons::ok);
            report.failures.push_back(
                {name, "its CHN or result file would replace a selected file"});
            log(request.chn_dir + name, "its CHN or result file would replace a selected file");
            continue;
        }
        if (!convert_one(request, name, base, report)) continue;
        if (converted.insert(lower_text(base)).second) {
            converted_bases_.push_back(base);
            const RawFileType* type = type_of_code(request.type_code);
            converted_sources_.push_back({base, request.type_code,
                                          type ? std::string(type->caption) : std::string(),
                                          request.chn_dir + name});
        }
    }
    ui_.end_progress();
    report.converted = static_cast<int>(converted_bases_.size());
}

bool BatchRun::convert_one(const BatchRequest& request, const std::string& name,
                           const std::string& base, BatchReport& report) {
    FileSystem& files = this->files();
    const std::string chn_path = request.res_dir + base + ".chn";
    // Without a runtime no stale spectrum can pass for this run's: an older CHN file stays.
    const bool runtime_reads = request.conversion != ChnConversion::only_conversion;
    ReaderContext context{spectrum_, files, ui_};
    ReadOutcome outcome = read_raw_file(context, request.type_code, request.chn_dir + name);
    if (!outcome.ok()) {
        // No stale spectrum may pass for this run's; a good earlier result stays.
        if (runtime_reads) remove_if_present(chn_path, report, name);
        keep_results_of_failed(request, name, base, "not read: " + outcome.reason, report);
        return false;
    }
    // The wait must not take an earlier result for the new one: it goes aside until
    // the new one is whole. Without a wait the runtime replaces the set itself.
    if (earlier_) {
        const FsResult aside = earlier_->set_aside(base);
        if (!aside.ok()) {
            // Said once, with the others, in the closing message: a full disk would
            // otherwise ask for one answer per file.
            const std::string reason = "the earlier result could not be set aside: " + aside.reason;
            report.failures.push_back({name, reason});
            log(request.chn_dir + name, reason);
            return false;
        }
    }
    spectrum_.chn_path = chn_path;
    FsResult written = write_chn(spectrum_, files);
    if (!written.ok()) {
        ui_.message_box("Cannot write " + chn_path + "\r\n" + written.reason, application_title,
                        Buttons::ok);
        const std::string reason = "CHN file not written: " + written.reason;
        if (runtime_reads) remove_if_present(chn_path, report, name);
        if (earlier_) {
            SettledSets settled;
            earlier_->put_back(base, settled);
            note_settled(request, settled, report);
        }
        report.failures.push_back({name, reason});
        log(request.chn_dir + name, reason);
        return false;
    }
    return true;
}

void BatchRun::keep_results_of_failed(const BatchRequest& request, const std::string& name,
                                      const std::string& base, std::string reason,
                                      BatchReport& report) {
    const std::string earlier = request.res_dir + base + ".res";
    if (files().file_exists(earlier)) reason += "; the earlier result " + earlier + " is kept";
    log(request.chn_dir + name, reason);
    report.failures.push_back({name, reason});
}

bool BatchRun::remove_if_present(const std::string& path, BatchReport& report,
                                 const std::string& name) {
    if (!files().file_exists(path)) return true;
    FsResult removed = files().remove_file(path);
    if (removed.ok()) return true;
    ui_.message_box("Cannot delete " + path + "\r\n" + removed.reason, application_title,
                    Buttons::ok);
    report.failures.push_back({name, "cannot delete " + path + ": " + removed.reason});
    return false;
}

std::optional<std::int64_t> BatchRun::start_runtime(const BatchRequest& request,
                                                    BatchReport& report) {
    const std::string receipt = receipt_path(request.system_dir, fs_.separator());
    if (files().file_exists(receipt)) files().remove_file(receipt);
    Process::Started started = process_.start(request.runtime_program, request.system_dir, false);
    if (!started.id) {
        ui_.message_box("The analysis runtime could not be started:\r\n" + started.reason,
                        application_title, Buttons::ok);
        return std::nullopt;
    }
    report.runtime_started = true;
    return started.id;
}

// The run file just written carries the file clock's time of the run's start, the
// clock the results' times are told by.
std::int64_t BatchRun::run_start_time(const BatchRequest& request) const {
    const std::string sources =
        request.system_dir + fs_.separator() + std::string(raw_sources_file_name);
    return fs_.modification_time(sources).value_or(0);
}

// Written on every run, empty when nothing was converted, so that no earlier run's
// sources name the raw file of a CHN file analysed as it is.
void BatchRun::write_raw_sources(const BatchRequest& request, BatchReport& report) {
    const std::string path =
        request.system_dir + fs_.separator() + std::string(raw_sources_file_name);
    const FsResult written =
        write_whole_file(files(), path, render_raw_sources(converted_sources_));
    if (!written.ok()) report.failures.push_back({path, "not written: " + written.reason});
}

void BatchRun::wait_for_receipt(const BatchRequest& request, std::int64_t runtime) {
    const std::string receipt = receipt_path(request.system_dir, fs_.separator());
    const auto deadline = process_.now() + timing_.receipt_limit;
    while (!files().file_exists(receipt) && process_.is_running(runtime) &&
           process_.now() < deadline) {
        if (!ui_.show_progress("waiting for the analysis runtime to read the control file", 0, 1))
            break;
        process_.pause(timing_.poll);
    }
    ui_.end_progress();
}

void BatchRun::wait_for_results(const BatchRequest& request, std::int64_t runtime,
                                BatchReport& report) {
    std::vector<std::string> pending = converted_bases_;
    const std::size_t total = pending.size();
    bool runtime_ended = false;
    for (;;) {
        // A result counts once its file exists; its temporary CHN file goes then.
        // While the runtime works, a pass stops after a run of missing results: the
        // runtime writes them roughly in list order, and a look at every missing one
        // on every pass would cost the square of the batch. After its end, every one.
        std::size_t missing_in_a_row = 0;
        std::erase_if(pending, [&](const std::string& base) {
            if (!runtime_ended && missing_in_a_row >= looks_past_missing) return false;
            if (!files().file_exists(request.res_dir + base + ".res")) {
                ++missing_in_a_row;
                return false;
            }
            missing_in_a_row = 0;
            remove_if_present(request.res_dir + base + ".chn", report, base);
            return true;
        });
        if (pending.empty()) break;
        if (runtime_ended) {
            report.missing_results = pending;
            break;
        }
        const std::size_t finished = total - pending.size();
        if (!ui_.show_progress(progress_text("finished", finished, total),
                               static_cast<int>(finished), static_cast<int>(total))) {
            report.cancelled = true;
            break;
        }
        // One more look after the runtime has gone, for results written as it ended,
        // under any letter case.
        if (!process_.is_running(runtime)) {
            runtime_ended = true;
            listed_->refresh();
            continue;
        }
        process_.pause(timing_.poll);
    }
    report.results_appeared = static_cast<int>(total - pending.size());
    ui_.end_progress();
}

void BatchRun::report_missing(const BatchRequest& request, const BatchReport& report,
                              const SettledSets& settled) {
    const std::vector<std::string>& missing = report.missing_results;
    std::string text;
    if (missing.size() <= listed_in_message) {
        text = "The analysis runtime has ended without writing these results:";
        for (const std::string& base : missing) text += "\r\n" + request.res_dir + base + ".res";
    } else {
        text = "The analysis runtime has ended without writing " +
               counted(missing.size(), "result") + " of " +
               std::to_string(converted_bases_.size()) + ".";
    }
    if (!settled.kept.empty())
        text += "\r\n" + counted(settled.kept.size(), "earlier result") +
                (settled.kept.size() == 1 ? " is" : " are") + " kept.";
    if (missing.size() > listed_in_message) text += log_sentence(report);
    ui_.message_box(text, application_title, Buttons::ok);
}

void BatchRun::report_failures(const BatchReport& report) {
    std::string text = "These files were not converted:";
    const std::size_t shown = std::min(report.failures.size(), listed_in_message);
    for (std::size_t at = 0; at < shown; ++at)
        text += "\r\n" + report.failures[at].name + ": " + report.failures[at].reason;
    if (report.failures.size() > shown) {
        text += "\r\nand " + std::to_string(report.failures.size() - shown) + " more.";
        text += log_sentence(report);
    }
    ui_.message_box(text, application_title, Buttons::ok);
}

}  // namespace sorvane
