#include "control/batch_run.h"

#include <algorithm>

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
    return system_dir + separator + "sorvane.inf.read";
}

BatchReport BatchRun::run(const BatchRequest& request, const ControlFileWrite& write_control_file) {
    BatchReport report;
    converted_bases_.clear();
    converted_sources_.clear();
    if (!result_folder_writable(request, report)) return report;
    const bool converts = request.type_code > 1;
    if (converts) convert_all(request, report);

    // The runtime reads the CHN files from the result folder when they were converted.
    const bool written = write_control_file(converts ? request.res_dir : request.chn_dir);
    write_raw_sources(request);  // after the control file, which makes the folder
    report.control_file_failed = !written;
    report.run_start = run_start_time(request);
    report.handed_bases = converts ? converted_bases_ : distinct_bases(request.selected_names);
    const bool wanted = !(converts && request.conversion == ChnConversion::only_conversion);
    if (wanted && written && !report.cancelled) {
        if (std::optional<std::int64_t> runtime = start_runtime(request, report)) {
            report.runtime_id = runtime;
            // The control file is written again below: not before the runtime has read it.
            wait_for_receipt(request, *runtime);
            if (converts && request.conversion == ChnConversion::temporary) {
                wait_for_results(request, *runtime, report);
            }
        }
    }
    if (!write_control_file(request.chn_dir)) report.control_file_failed = true;
    if (!report.failures.empty()) report_failures(report);
    return report;
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
    std::vector<std::string> inputs;
    for (const std::string& name : request.selected_names)
        inputs.push_back(lower_text(request.chn_dir + name));
    auto is_input = [&](const std::string& path) {
        return std::find(inputs.begin(), inputs.end(), lower_text(path)) != inputs.end();
    };

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
            continue;
        }
        if (!convert_one(request, name, base, report)) continue;
        auto same_base = [&](const std::string& known) { return equal_ignoring_case(known, base); };
        if (std::none_of(converted_bases_.begin(), converted_bases_.end(), same_base)) {
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
    const std::string chn_path = request.res_dir + base + ".chn";
    ReaderContext context{spectrum_, fs_, ui_};
    ReadOutcome outcome = read_raw_file(context, request.type_code, request.chn_dir + name);
    if (!outcome.ok()) {
        // No stale spectrum may pass for this run's; a good earlier result stays.
        remove_if_present(chn_path, report, name);
        keep_results_of_failed(request, name, base, "not read: " + outcome.reason, report);
        return false;
    }
    // The wait must not take an old result for the new one; without a runtime
    // started, the old results stay until a new one replaces them.
    if (request.conversion != ChnConversion::only_conversion) {
        const FsResult removed = remove_result_set(fs_, request.res_dir, base);
        if (!removed.ok()) {
            ui_.message_box(removed.reason, application_title, Buttons::ok);
            report.failures.push_back({name, removed.reason});
            return false;
        }
    }
    spectrum_.chn_path = chn_path;
    FsResult written = write_chn(spectrum_, fs_);
    if (!written.ok()) {
        ui_.message_box("Cannot write " + chn_path + "\r\n" + written.reason, application_title,
                        Buttons::ok);
        report.failures.push_back({name, "CHN file not written: " + written.reason});
        return false;
    }
    return true;
}

void BatchRun::keep_results_of_failed(const BatchRequest& request, const std::string& name,
                                      const std::string& base, std::string reason,
                                      BatchReport& report) {
    const std::string earlier = request.res_dir + base + ".res";
    if (fs_.file_exists(earlier)) reason += "; the earlier result " + earlier + " is kept";
    const FsResult logged =
        append_run_log(fs_, request.res_dir, timing_.time_stamp(), request.chn_dir + name, reason);
    if (!logged.ok()) reason += " (not logged: " + logged.reason + ")";
    report.failures.push_back({name, reason});
}

bool BatchRun::remove_if_present(const std::string& path, BatchReport& report,
                                 const std::string& name) {
    if (!fs_.file_exists(path)) return true;
    FsResult removed = fs_.remove_file(path);
    if (removed.ok()) return true;
    ui_.message_box("Cannot delete " + path + "\r\n" + removed.reason, application_title,
                    Buttons::ok);
    report.failures.push_back({name, "cannot delete " + path + ": " + removed.reason});
    return false;
}

std::optional<std::int64_t> BatchRun::start_runtime(const BatchRequest& request,
                                                    BatchReport& report) {
    const std::string receipt = receipt_path(request.system_dir, fs_.separator());
    if (fs_.file_exists(receipt)) fs_.remove_file(receipt);
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
void BatchRun::write_raw_sources(const BatchRequest& request) {
    fs_.write_file(request.system_dir + fs_.separator() + std::string(raw_sources_file_name),
                   render_raw_sources(converted_sources_));
}

void BatchRun::wait_for_receipt(const BatchRequest& request, std::int64_t runtime) {
    const std::string receipt = receipt_path(request.system_dir, fs_.separator());
    const auto deadline = process_.now() + timing_.receipt_limit;
    while (!fs_.file_exists(receipt) && process_.is_running(runtime) && process_.now() < deadline) {
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
        std::erase_if(pending, [&](const std::string& base) {
            if (!fs_.file_exists(request.res_dir + base + ".res")) return false;
            remove_if_present(request.res_dir + base + ".chn", report, base);
            return true;
        });
        if (pending.empty()) break;
        if (runtime_ended) {
            report.missing_results = pending;
            std::string list;
            for (const std::string& base : pending)
                list += "\r\n" + request.res_dir + base + ".res";
            ui_.message_box("The analysis runtime has ended without writing these results:" + list,
                            application_title, Buttons::ok);
            break;
        }
        const std::size_t finished = total - pending.size();
        if (!ui_.show_progress(progress_text("finished", finished, total),
                               static_cast<int>(finished), static_cast<int>(total))) {
            report.cancelled = true;
            break;
        }
        // One more look after the runtime has gone, for results written as it ended.
        if (!process_.is_running(runtime)) {
            runtime_ended = true;
            continue;
        }
        process_.pause(timing_.poll);
    }
    report.results_appeared = static_cast<int>(total - pending.size());
    ui_.end_progress();
}

void BatchRun::report_failures(const BatchReport& report) {
    std::string text = "These files were not converted:";
    for (const BatchFailure& failure : report.failures)
        text += "\r\n" + failure.name + ": " + failure.reason;
    ui_.message_box(text, application_title, Buttons::ok);
}

}  // namespace sorvane
