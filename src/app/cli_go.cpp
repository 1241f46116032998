#include <ostream>

#include "app/cli.h"
#include "app/console_ui.h"
#include "control/command1.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/type_selector.h"
#include "platform/dos_pattern.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"

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
    void pause(std::chrono::milliseconds how_long) override { inner_.pause(how_long); }
    std::chrono::milliseconds now() override { return inner_.now(); }

private:
    Process& inner_;
};

struct GoRequest {
    std::string system_dir;
    std::vector<std::string> names;
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
    bool all_found = true;
    for (const std::string& name : names) {
        const std::string plain = name_of_path(name, separator);
        bool found = false;
        for (std::size_t entry = 0; entry < list.count(); ++entry) {
            if (equal_ignoring_case(list.entries[entry], plain)) {
                list.set_selected(entry, true);
                found = true;
            }
        }
        if (!found) {
            err << "sorvanecli: " << name << ": not among the files \"" << list.pattern << "\" of "
                << list.folder << '\n';
            all_found = false;
        }
    }
    return all_found;
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
    if (read_control_file(form, settings, control_file, fs) != -1) {
        err << "sorvanecli: " << control_file
            << ": no control file; save the options in the window first\n";
        return 1;
    }
    if (settings.chn_dir.empty() || settings.res_dir.empty()) {
        err << "sorvanecli: " << control_file << ": the raw or the result folder is not set\n";
        return 1;
    }
    if (!fs.folder_exists(settings.chn_dir)) {
        err << "sorvanecli: " << settings.chn_dir << ": the raw folder does not exist\n";
        return 1;
    }
    set_file_list_folder(form.File1[0], settings.chn_dir, fs);
    apply_settings(form, settings, fs);
    show_folder_in_field(form.Text9[0], settings.chn_dir);
    show_folder_in_field(form.Text9[1], settings.res_dir);
    if (!select_files(form.File1[0], request->names, fs.separator(), err)) return 1;

    ConsoleUi ui(err, true);
    RealProcess real_process;
    PassThroughProcess process(real_process);
    Spectrum spectrum;
    std::optional<BatchReport> report = Command1_Click(form, settings, spectrum, fs, process, ui);
    if (!report) return 1;

    out << "converted " << report->converted << " file" << (report->converted == 1 ? "" : "s");
    if (report->runtime_started) out << "; the analysis runtime was started";
    out << '\n';
    const bool failed = !report->failures.empty() || !report->missing_results.empty() ||
                        report->cancelled || report->control_file_failed;
    return failed ? 1 : 0;
}

}  // namespace sorvane
