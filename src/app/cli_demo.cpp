#include <fstream>
#include <ostream>
#include <sstream>

#include "app/cli.h"
#include "app/console_ui.h"
#include "contract/result_schema.h"
#include "control/collect_settings.h"
#include "control/command1.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "import/base_name.h"
#include "import/raw_file_types.h"
#include "platform/bundled_runtime.h"
#include "platform/dos_pattern.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

struct DemoFile {
    const RawFileType* type;
    std::string name;
};

struct DemoRequest {
    std::string demo_dir;
    std::string out_dir = "sorvane-demo/";
    std::string runtime_dir;
};

// "type file" lines of demo.list; '#' starts a comment.
std::vector<DemoFile> read_demo_list(const std::string& text, std::ostream& err) {
    std::vector<DemoFile> files;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string type_name, file_name;
        if (!(words >> type_name) || type_name[0] == '#' || !(words >> file_name)) continue;
        const RawFileType* type = type_of_name(type_name);
        if (type == nullptr) {
            err << "sorvanecli demo: unknown type \"" << type_name << "\" in demo.list\n";
            continue;
        }
        files.push_back({type, file_name});
    }
    return files;
}

// The installed samples (share/sorvane/demo beside the program's bin folder), or
// the source tree's when run from the build.
std::string find_demo_dir(const FileSystem& fs) {
    const std::string beside = executable_folder();
    const char s = fs.separator();
    const std::string installed = beside + ".." + s + "share" + s + "sorvane" + s + "demo" + s;
    if (!beside.empty() && fs.file_exists(installed + "demo.list")) return installed;
    return SORVANE_DEMO_DIR;
}

// The built runtime beside this program, or where the build put it.
std::string find_runtime_dir(const FileSystem& fs) {
    const std::string found = bundled_runtime_dir(fs, {executable_folder(), SORVANE_RUNTIME_DIR});
    return found.empty() ? SORVANE_RUNTIME_DIR : found;
}

// The window's defaults with the demo's folders, as if set by hand.
void prepare_window(Form1& form, AnalysisSettings& settings, const DemoRequest& request,
                    FileSystem& fs) {
    fill_type_list(form, fs);
    set_default(form);
    select_option(form, OptionGroup::Option8, 1);  // temporary CHN files: wait for the results
    show_folder_in_field(form.Text9[0], as_folder(request.demo_dir, fs.separator()));
    show_folder_in_field(form.Text9[1], request.out_dir);
    settings.system_dir = request.out_dir + "system";
    settings.run_time_dir = request.runtime_dir;
    set_file_list_folder(form.File1[0], as_folder(request.demo_dir, fs.separator()), fs);
}

// The peak table and messages of a result file.
void print_result(const std::string& path, const FileSystem& fs, std::ostream& out) {
    std::string bytes;
    if (!fs.read_file(path, bytes).ok()) {
        out << path << ": no result\n";
        return;
    }
    out << "\n== " << path << '\n';
    bool shown = false;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            const std::string_view name = std::string_view(line).substr(1, line.size() - 2);
            shown = line.back() == ']' && (name == result_schema::section::peaks ||
                                           name == result_schema::section::messages);
        }
        if (shown) out << line << '\n';
    }
}

}  // namespace

int run_demo(const std::vector<std::string>& args, FileSystem& fs, std::ostream& out,
             std::ostream& err) {
    DemoRequest request;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--demo-dir")
            request.demo_dir = args[i + 1];
        else if (args[i] == "--out")
            request.out_dir = args[i + 1];
        else if (args[i] == "--runtime-dir")
            request.runtime_dir = args[i + 1];
    }
    if (args.size() % 2 != 0) {
        err << "usage: sorvanecli demo [--demo-dir DIR] [--out DIR] [--runtime-dir DIR]\n";
        return 2;
    }
    // The control file left behind names absolute folders, so the window opened on
    // it from any folder finds the demo and its results.
    request.out_dir = as_folder(absolute_path(request.out_dir, fs), fs.separator());
    if (request.demo_dir.empty()) request.demo_dir = find_demo_dir(fs);
    request.demo_dir = absolute_path(request.demo_dir, fs);
    if (request.runtime_dir.empty()) request.runtime_dir = find_runtime_dir(fs);
    request.runtime_dir = as_folder(absolute_path(request.runtime_dir, fs), fs.separator());

    std::string list;
    if (!fs.read_file(as_folder(request.demo_dir, fs.separator()) + "demo.list", list).ok()) {
        err << "sorvanecli demo: " << request.demo_dir << ": no demo.list\n";
        return 1;
    }
    const FsResult made = fs.create_folder(request.out_dir + "system");
    if (!made.ok()) {
        err << "sorvanecli demo: " << made.reason << '\n';
        return 1;
    }
    const std::vector<DemoFile> files = read_demo_list(list, err);

    Form1 form;
    AnalysisSettings settings;
    prepare_window(form, settings, request, fs);
    ConsoleUi ui(err, true);
    RealProcess process;
    Spectrum spectrum;
    bool failed = false;
    // One "GO" per raw file type, as a user would do it.
    for (std::size_t first = 0; first < files.size();) {
        const RawFileType* type = files[first].type;
        select_type_position(form, position_of(type->code), fs);
        FileListBox& list_box = form.File1[0];
        for (const DemoFile& file : files) {
            if (file.type != type) continue;
            for (std::size_t entry = 0; entry < list_box.count(); ++entry) {
                if (equal_ignoring_case(list_box.entries[entry], file.name))
                    list_box.set_selected(entry, true);
            }
        }
        out << "== " << type->caption << ": " << list_box.selected_names().size() << " file(s)\n";
        std::optional<BatchReport> report =
            Command1_Click(form, settings, spectrum, fs, process, ui);
        failed = failed || !report || !report->failures.empty() ||
                 !report->missing_results.empty() || report->result_folder_unwritable;
        while (first < files.size() && files[first].type == type) ++first;
    }
    for (const DemoFile& file : files)
        print_result(request.out_dir + base_name_of(file.name) + ".res", fs, out);
    return failed ? 1 : 0;
}

}  // namespace sorvane
