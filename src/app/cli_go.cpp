#include <ostream>
#include <unordered_map>

#include "app/cli.h"
#include "app/console_ui.h"
#include "control/command1.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/type_selector.h"
#include "import/raw_file_types.h"
#include "platform/bundled_runtime.h"
#include "platform/dos_pattern.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

// The runtime started from the command line talks to the same terminal.
class PassThroughProcess final : public Process {
public:
    explicit PassThroughProcess(Process& inner) : inner_(inner) {}
    Started start(const std::string& program, const std::string& argument, bool) override {
        return inner_.start(program, argument, true);
    }
    bool is_running(std::int64_t id) override { return inner_.is_running(id); }
    std::optional<int> exit_status(std::int64_t id) override { return inner_.exit_status(id); }
    void pause(std::chrono::milliseconds how_long) override { inner_.pause(how_long); }
    std::chrono::milliseconds now() override { return inner_.now(); }

private:
    Process& inner_;
};

struct GoRequest {
    std::string system_dir;
    std::vector<std::string> names;
    const RawFileType* type = nullptr;  // --type: replaces the saved raw file type
    std::string out_dir;                // --out: replaces the saved result folder
};

std::optional<GoRequest> parse(const std::vector<std::string>& args, std::ostream& err) {
    GoRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--system-dir") {
            if (i + 1 >= args.size()) {
                err << "sorvanecli go: --system-dir needs a folder\n";
                return std::nullopt;
            }
            request.system_dir = args[++i];
        } else if (args[i] == "--type" || args[i] == "--out") {
            if (i + 1 >= args.size()) {
                err << "sorvanecli go: " << args[i] << " needs a value\n";
                return std::nullopt;
            }
            const std::string& value = args[++i];
            if (args[i - 1] == "--out") {
                request.out_dir = value;
            } else if ((request.type = type_of_argument(value)) == nullptr) {
                err << "sorvanecli go: unknown type \"" << value << "\" (--type x lists them)\n";
                return std::nullopt;
            }
        } else {
            request.names.push_back(args[i]);
        }
    }
    if (request.system_dir.empty()) request.system_dir = default_system_dir();
    while (request.system_dir.size() > 1 &&
           (request.system_dir.back() == '/' || request.system_dir.back() == '\\'))
        request.system_dir.pop_back();
    return request;
}

// Selects the named files of the raw list (all of them without names); false,
// with a line on stderr, when a name is not in the list.
bool select_files(FileListBox& list, const std::vector<std::string>& names, char separator,
                  std::ostream& err) {
    if (names.empty()) {
        for (std::size_t entry = 0; entry < list.count(); ++entry) list.set_selected(entry, true);
        return true;
    }
    // The entries by name ignoring case, so that thousands of names cost one pass.
    std::unordered_map<std::string, std::vector<std::size_t>> entries;
    for (std::size_t entry = 0; entry < list.count(); ++entry)
        entries[lower_text(list.entries[entry])].push_back(entry);
    bool all_found = true;
    for (const std::string& name : names) {
        const auto found = entries.find(lower_text(name_of_path(name, separator)));
        if (found != entries.end()) {
            for (std::size_t entry : found->second) list.set_selected(entry, true);
            continue;
        }
        err << "sorvanecli: " << name << ": not among the files \"" << list.pattern << "\" of "
            << list.folder << '\n';
        all_found = false;
    }
    return all_found;
}

// The one folder of the files named with a folder part, absolute; empty when
// none names one; nothing, with a line on stderr, when they name two.
std::optional<std::string> folder_of_named(const std::vector<std::string>& names,
                                           const FileSystem& fs, std::ostream& err) {
    std::string folder;
    for (const std::string& name : names) {
        const std::string own = folder_of_path(name, fs.separator());
        if (own.empty()) continue;
        const std::string absolute = absolute_path(own, fs);
        if (!folder.empty() && folder != absolute) {
            err << "sorvanecli go: the files lie in two folders, " << folder << " and " << absolute
                << '\n';
            return std::nullopt;
        }
        folder = absolute;
    }
    return folder;
}

}  // namespace

int run_go(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
           std::ostream& err) {
    std::optional<GoRequest> request = parse(args, err);
    if (!request) return 2;

    Form1 form;
    AnalysisSettings settings;
    settings.system_dir = request->system_dir;
    fill_type_list(form, fs);
    const std::string control_file = run_file_path(settings, fs);
    // Without a control file the run starts as the window does at a first start.
    const bool saved = read_control_file(form, settings, control_file, fs) == -1;
    if (settings.run_time_dir.empty())
        settings.run_time_dir = bundled_runtime_dir(fs, {executable_folder(), SORVANE_RUNTIME_DIR});
    const std::optional<std::string> named_folder = folder_of_named(request->names, fs, err);
    if (!named_folder) return 1;
    if (!named_folder->empty()) settings.chn_dir = *named_folder;
    if (!saved && settings.chn_dir.empty()) {
        err << "sorvanecli: " << control_file
            << ": no control file; name the raw files with their folder, or save the options in "
               "the window first\n";
        return 1;
    }
    if (!request->out_dir.empty()) {
        settings.res_dir = as_folder(absolute_path(request->out_dir, fs), fs.separator());
        const FsResult made = fs.create_folder(settings.res_dir);
        if (!made.ok()) {
            err << "sorvanecli: " << settings.res_dir << ": " << made.reason << '\n';
            return 1;
        }
    }
    if (!saved && settings.res_dir.empty()) settings.res_dir = settings.chn_dir;
    if (settings.chn_dir.empty() || settings.res_dir.empty()) {
        err << "sorvanecli: " << control_file << ": the raw or the result folder is not set\n";
        return 1;
    }
    if (!fs.folder_exists(settings.chn_dir)) {
        err << "sorvanecli: " << settings.chn_dir << ": the raw folder does not exist\n";
        return 1;
    }
    set_file_list_folder(form.File1[0], settings.chn_dir, fs);
    if (saved)
        apply_settings(form, settings, fs);
    else
        set_default(form);
    if (request->type != nullptr) select_type_position(form, position_of(request->type->code), fs);
    show_folder_in_field(form.Text9[0], settings.chn_dir);
    show_folder_in_field(form.Text9[1], settings.res_dir);
    if (!select_files(form.File1[0], request->names, fs.separator(), err)) return 1;

    ConsoleUi ui(err, true);
    RealProcess real_process;
    PassThroughProcess process(real_process);
    Spectrum spectrum;
    std::optional<BatchReport> report = Command1_Click(form, settings, spectrum, fs, process, ui);
    if (!report) return 1;

    if (!report->log_problem.empty())
        err << "sorvanecli: the run log " << report->log_path
            << " could not be written: " << report->log_problem << '\n';
    out << "converted " << report->converted << " file" << (report->converted == 1 ? "" : "s");
    if (report->runtime_started) out << "; the analysis runtime was started";
    out << '\n';
    const bool failed = !report->failures.empty() || !report->missing_results.empty() ||
                        report->cancelled || report->control_file_failed ||
                        report->result_folder_unwritable;
    return failed ? 1 : 0;
}

}  // namespace sorvane
