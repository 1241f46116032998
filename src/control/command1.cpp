#include "control/command1.h"

#include "control/collect_settings.h"
#include "control/control_file.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"

namespace sorvane {
namespace {

// The hourglass for as long as the run lasts, whatever ends it.
class WaitPointer {
public:
    explicit WaitPointer(Ui& ui) : ui_(ui) { ui_.set_pointer(Pointer::hourglass); }
    ~WaitPointer() { ui_.set_pointer(Pointer::normal); }
    WaitPointer(const WaitPointer&) = delete;
    WaitPointer& operator=(const WaitPointer&) = delete;

private:
    Ui& ui_;
};

ChnConversion conversion_choice(const Form1& form) {
    switch (selected_option(form, OptionGroup::Option8)) {
        case 1:
            return ChnConversion::temporary;
        case 2:
            return ChnConversion::only_conversion;
        default:
            return ChnConversion::make_chn;
    }
}

// The runtime in its folder, under the letter case it has on disk.
std::string runtime_program(const AnalysisSettings& settings, const FileSystem& fs) {
    constexpr std::string_view name = "run_Tovalu.exe";
    std::optional<std::string> found = fs.find_ignoring_case(settings.run_time_dir, name);
    return settings.run_time_dir + found.value_or(std::string(name));
}

}  // namespace

BatchRequest batch_request(const Form1& form, const AnalysisSettings& settings,
                           const FileSystem& fs) {
    BatchRequest request;
    request.type_code = selected_type_code(form);
    request.conversion = conversion_choice(form);
    request.chn_dir = settings.chn_dir;
    request.res_dir = settings.res_dir;
    request.system_dir = settings.system_dir;
    request.runtime_program = runtime_program(settings, fs);
    request.selected_names = form.File1[0].selected_names();
    return request;
}

std::optional<BatchReport> Command1_Click(Form1& form, AnalysisSettings& settings,
                                          Spectrum& spectrum, FileSystem& fs, Process& process,
                                          Ui& ui, BatchTiming timing) {
    if (collect_settings(form, settings, fs, ui, false) < 0) return std::nullopt;
    WaitPointer wait(ui);
    settings.chn_dir = folder_of_field(form.Text9[0]);
    settings.res_dir = folder_of_field(form.Text9[1]);

    const BatchRequest request = batch_request(form, settings, fs);

    const std::string control_file_path = run_file_path(settings, fs);
    auto write = [&](const std::string& chn_dir) {
        settings.chn_dir = chn_dir;
        return write_control_file(form, settings, control_file_path, fs, ui);
    };
    BatchRun run(spectrum, fs, process, ui, timing);
    BatchReport report = run.run(request, write);
    // The result list shows what the run left in the result folder.
    refresh_file_list(form.File1[1], fs);
    return report;
}

}  // namespace sorvane
