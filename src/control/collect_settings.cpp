#include "control/collect_settings.h"

#include <algorithm>

#include "contract/number_forms.h"
#include "contract/option_codes.h"
#include "control/field_marks.h"
#include "control/manual_peaks.h"
#include "form/directory_field.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "platform/file_system.h"
#include "platform/ui.h"

namespace sorvane {
namespace {

// Whether `run_time_dir` followed by the runtime's name is a file, looked up as
// a directory listing does (a folder without its separator runs into the name).
bool runtime_present(const AnalysisSettings& settings, const FileSystem& files) {
    const std::string path = settings.run_time_dir + std::string(runtime_file_name);
    std::string folder = folder_of_path(path, files.separator());
    if (folder.empty()) folder = files.current_folder();
    const std::optional<std::string> found =
        files.find_ignoring_case(folder, name_of_path(path, files.separator()));
    if (!found || found->find_first_not_of(' ') == std::string::npos) return false;
    return files.file_exists(folder + *found);
}

void read_point(const Form1& form, std::size_t index, EnergyPoint& point) {
    point.ch = lenient_number(form.Text4[index].text);
    point.energy = lenient_number(form.Text5[index].text);
    point.fwhm = lenient_number(form.Text6[index].text);
}

}  // namespace

const std::array<StatusRule, 6> settings_status_rules = {{
    {-40, [](const CollectFacts& f) { return f.runtime_missing; },
     "Set fullpath of runtime by MenuBar->File->runtime."},
    {-50, [](const CollectFacts& f) { return f.manual_entry_failed; }, "Manual PK ch is not set."},
    {-20,
     [](const CollectFacts& f) {
         return f.cal_area_manual && f.settings.cal_area_from >= f.settings.cal_area_to;
     },
     "Cal area. is not suitable on manual setting."},
    {-30,
     [](const CollectFacts& f) { return f.settings.eng_cal_low.ch >= f.settings.eng_cal_high.ch; },
     "Energy calib.of CH is not suitable on manual setting."},
    {-31,
     [](const CollectFacts& f) {
         return f.settings.eng_cal_low.energy >= f.settings.eng_cal_high.energy;
     },
     "Energy calib. of Energy is not suitable on manual setting."},
    {-32,
     [](const CollectFacts& f) {
         return f.settings.eng_cal_low.fwhm >= f.settings.eng_cal_high.fwhm;
     },
     "Energy calib. of FWHM is not suitable on manual setting."},
}};

std::int16_t collect_settings(Form1& form, AnalysisSettings& settings, const FileSystem& files,
                              Ui& ui, bool exiting) {
    settings.chn_dir = folder_of_field(form.Text9[0]);
    settings.res_dir = folder_of_field(form.Text9[1]);
    settings.user_inf = form.Text8.text;
    const bool runtime_missing = !runtime_present(settings, files);

    std::int16_t& pk_search = settings.cntl_option[cntl_slot::pk_search];
    pk_search = selected_code(form, OptionGroup::Option1);
    if (pk_search == pk_search_code::automatic) clear_manual_peaks(form, settings);
    bool manual_entry_failed = false;
    if (!exiting && pk_search == pk_search_code::manual) {
        manual_entry_failed = input_manual_peaks(form, settings, ui) < 0;
    }

    for (const OptionGroupRow& row : option_groups) {
        if (row.group != OptionGroup::Option1)
            settings.cntl_option[row.cntl_index] = selected_code(form, row.group);
    }
    settings.cntl_option[cntl_slot::file_type] = selected_type_code(form);

    settings.bkg_shape = bkg_shape_range.clamp(lenient_number(form.Text1.text));
    settings.pkf_sens = pkf_sens_range.clamp(lenient_number(form.Text2.text));

    const bool cal_area_manual = selected_option(form, OptionGroup::Option6) == 1;
    settings.cal_area_from = 0;
    settings.cal_area_to = 0;
    if (cal_area_manual) {
        settings.cal_area_from = lenient_number(form.Text3[0].text);
        settings.cal_area_to = lenient_number(form.Text3[1].text);
    }
    read_point(form, 0, settings.eng_cal_low);
    read_point(form, 1, settings.eng_cal_high);
    mark_numeric_fields(form, settings, cal_area_manual);

    const CollectFacts facts{settings, runtime_missing, manual_entry_failed, cal_area_manual};
    const StatusRule* deciding = nullptr;
    for (const StatusRule& rule : settings_status_rules) {
        if (rule.holds(facts)) deciding = &rule;
    }
    if (deciding == nullptr) return 0;
    ui.message_box(deciding->message, option_error_title, Buttons::ok);
    return deciding->status;
}

}  // namespace sorvane
