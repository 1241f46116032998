#include <algorithm>
#include <array>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/cli.h"
#include "app/console_ui.h"
#include "contract/result_schema.h"
#include "control/collect_settings.h"
#include "control/command1.h"
#include "control/nuclide_settings_store.h"
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

// A demo file, and for one made through a stated efficiency curve that curve (in
// the demo folder), its reference time and the nuclides always reported beside it.
struct DemoFile {
    const RawFileType* type;
    std::string name;
    std::string efficiency;
    std::string reference_time;  // "YYYY-MM-DD HH:MM:SS"
    std::vector<std::string> always_report;
};

struct DemoRequest {
    std::string demo_dir;
    std::string out_dir = "sorvane-demo/";
    std::string runtime_dir;
};

// "type file [efficiency reference-time nuclide...]" lines of demo.list, the
// reference time written with a T ("2005-01-01T00:00:00"); '#' starts a comment.
std::vector<DemoFile> read_demo_list(const std::string& text, std::ostream& err) {
    std::vector<DemoFile> files;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string type_name, file_name;
        if (!(words >> type_name) || type_name[0] == '#' || !(words >> file_name)) continue;
        const RawFileType* type = type_of_name(type_name);
        if (type == nullptr) {
            err << "sorvanecli demo: unknown type \"" << type_name << "\" in demo.list\n";
            continue;
        }
        DemoFile file{type, file_name, {}, {}, {}};
        words >> file.efficiency >> file.reference_time;
        if (file.reference_time.size() > 10 && file.reference_time[10] == 'T')
            file.reference_time[10] = ' ';
        for (std::string name; words >> name;) file.always_report.push_back(name);
        files.push_back(std::move(file));
    }
    return files;
}

// Identification for every demo run; a file with a stated curve also gets its
// activities, limits and report page.
NuclideSettings demo_nuclide_settings(const DemoFile* with_curve, const std::string& demo_dir,
                                      char separator) {
    NuclideSettings settings;
    settings.identify = true;
    if (with_curve == nullptr) return settings;
    settings.efficiency_file = as_folder(demo_dir, separator) + with_curve->efficiency;
    settings.reference_time = with_curve->reference_time;
    settings.always_report = with_curve->always_report;
    settings.write_report = true;
    return settings;
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
    select_option(form, OptionGroup::Option4, 1);  // each result's plot beside it
    show_folder_in_field(form.Text9[0], as_folder(request.demo_dir, fs.separator()));
    show_folder_in_field(form.Text9[1], request.out_dir);
    settings.system_dir = request.out_dir + "system";
    settings.run_time_dir = request.runtime_dir;
    set_file_list_folder(form.File1[0], as_folder(request.demo_dir, fs.separator()), fs);
}

// The columns of [nuclides] the demo prints, in this order.
constexpr std::array<std::string_view, 9> nuclide_columns = {
    "nuclide",    "identified",         "score",           "lines",  "activity",
    "d_activity", "decision_threshold", "detection_limit", "verdict"};

// The identification and decision of each nuclide: the chosen columns of a
// [nuclides] row, aligned.
void print_nuclide_rows(const std::vector<std::vector<std::string>>& rows, std::ostream& out) {
    if (rows.empty()) return;
    std::vector<int> pick;
    for (std::string_view name : nuclide_columns)
        for (std::size_t i = 0; i < rows[0].size(); ++i)
            if (rows[0][i] == name) pick.push_back(static_cast<int>(i));
    std::vector<std::size_t> width(pick.size(), 0);
    for (const auto& row : rows)
        for (std::size_t k = 0; k < pick.size(); ++k)
            if (static_cast<std::size_t>(pick[k]) < row.size())
                width[k] = std::max(width[k], row[static_cast<std::size_t>(pick[k])].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < pick.size(); ++k) {
            std::string field = static_cast<std::size_t>(pick[k]) < row.size()
                                    ? row[static_cast<std::size_t>(pick[k])]
                                    : std::string("-");
            field.resize(std::max(width[k], field.size()), ' ');
            line += field + ' ';
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
}

// The peak table, messages and nuclides of a result file, and the plot and report
// page written beside it.
void print_result(const std::string& path, const FileSystem& fs, std::ostream& out) {
    std::string bytes;
    if (!fs.read_file(path, bytes).ok()) {
        out << path << ": no result\n";
        return;
    }
    out << "\n== " << path << '\n';
    std::string section;
    std::vector<std::vector<std::string>> nuclide_rows;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[' && line.back() == ']')
            section = line.substr(1, line.size() - 2);
        if (section == result_schema::section::peaks || section == result_schema::section::messages)
            out << line << '\n';
        if (section == result_schema::section::nuclides && !line.empty() && line.front() != '[' &&
            line.find(" = ") == std::string::npos) {
            std::istringstream words(line);
            nuclide_rows.emplace_back();
            for (std::string w; words >> w;) nuclide_rows.back().push_back(w);
        }
    }
    if (nuclide_rows.size() > 1) {  // a row beside the header
        out << "[nuclides] (identification and decision; the result holds the rest)\n";
        print_nuclide_rows(nuclide_rows, out);
    }
    const std::string base = path.substr(0, path.size() - 4);
    for (const char* beside : {".svg", ".html"})
        if (fs.file_exists(base + beside)) out << "written: " << base + beside << '\n';
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
    const std::string nuclide_file = nuclide_settings_path(settings.system_dir, fs);
    // One "GO" per raw file type, as a user would do it; a file with a stated curve
    // gets a "GO" of its own, under nuclide settings that name the curve.
    std::vector<bool> done(files.size(), false);
    for (std::size_t first = 0; first < files.size(); ++first) {
        if (done[first]) continue;
        const RawFileType* type = files[first].type;
        const bool with_curve = !files[first].efficiency.empty();
        const NuclideSettings nuclides = demo_nuclide_settings(with_curve ? &files[first] : nullptr,
                                                               request.demo_dir, fs.separator());
        const FsResult saved = save_nuclide_settings(nuclide_file, nuclides, fs);
        if (!saved.ok()) err << "sorvanecli demo: " << nuclide_file << ": " << saved.reason << '\n';
        select_type_position(form, position_of(type->code), fs);
        FileListBox& list_box = form.File1[0];
        for (std::size_t entry = 0; entry < list_box.count(); ++entry)
            list_box.set_selected(entry, false);
        for (std::size_t f = first; f < files.size(); ++f) {
            if (done[f] || files[f].type != type ||
                (f != first && (with_curve || !files[f].efficiency.empty())))
                continue;
            done[f] = true;
            for (std::size_t entry = 0; entry < list_box.count(); ++entry) {
                if (equal_ignoring_case(list_box.entries[entry], files[f].name))
                    list_box.set_selected(entry, true);
            }
        }
        out << "== " << type->caption << ": " << list_box.selected_names().size() << " file(s)"
            << (with_curve ? ", activities from " + files[first].efficiency : std::string())
            << '\n';
        std::optional<BatchReport> report =
            Command1_Click(form, settings, spectrum, fs, process, ui);
        failed = failed || !report || !report->failures.empty() ||
                 !report->missing_results.empty() || report->result_folder_unwritable;
    }
    // The window opened on the demo afterwards identifies nuclides too.
    save_nuclide_settings(nuclide_file, demo_nuclide_settings(nullptr, {}, fs.separator()), fs);
    for (const DemoFile& file : files)
        print_result(request.out_dir + base_name_of(file.name) + ".res", fs, out);
    return failed ? 1 : 0;
}

}  // namespace sorvane
