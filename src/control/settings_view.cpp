#include "control/settings_view.h"

#include <algorithm>

#include "contract/number_forms.h"
#include "contract/option_codes.h"
#include "form/option_groups.h"
#include "form/type_selector.h"
#include "import/raw_file_types.h"

namespace sorvane {
namespace {

// The factory texts of the numeric fields, by field.
struct DefaultText {
    TextBox Form1::*single;
    std::array<TextBox, 2> Form1::*pair;
    std::size_t index;
    std::string_view text;
};

constexpr std::array<DefaultText, 11> default_texts = {{
    {&Form1::Text1, nullptr, 0, "10.0"},
    {&Form1::Text2, nullptr, 0, "6.0"},
    {nullptr, &Form1::Text3, 0, "100"},
    {nullptr, &Form1::Text3, 1, "4095"},
    {nullptr, &Form1::Text4, 0, "200"},
    {nullptr, &Form1::Text4, 1, "4000"},
    {nullptr, &Form1::Text5, 0, "100"},
    {nullptr, &Form1::Text5, 1, "2000"},
    {nullptr, &Form1::Text6, 0, "2.6"},
    {nullptr, &Form1::Text6, 1, "3.5"},
    {&Form1::Text8, nullptr, 0, default_user_text},
}};

constexpr std::array<std::array<TextBox, 2> Form1::*, 4> calibration_fields = {
    &Form1::Text3, &Form1::Text4, &Form1::Text5, &Form1::Text6};

void select_defaults(Form1& form) {
    for (const OptionGroupRow& row : option_groups)
        select_option(form, row.group, row.default_button);
}

void enable_calibration_fields(Form1& form, bool clear) {
    for (std::size_t index = 0; index < 2; ++index) {
        for (auto fields : calibration_fields) {
            (form.*fields)[index].enabled = true;
            if (clear) (form.*fields)[index].text.clear();
        }
    }
}

// The user text without surrounding blanks and without the line breaks that
// reading appends at its end.
std::string shown_user_text(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 32) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

void set_default(Form1& form) {
    select_defaults(form);
    enable_calibration_fields(form, true);
    for (const DefaultText& field : default_texts) {
        TextBox& box =
            field.single != nullptr ? form.*field.single : (form.*field.pair)[field.index];
        box.text = std::string(field.text);
    }
}

void apply_settings(Form1& form, const AnalysisSettings& settings, const FileSystem& files) {
    select_defaults(form);
    // The groups in the order of their codes; a code no button has keeps the default.
    std::array<OptionGroupRow, option_groups.size()> by_code = option_groups;
    std::sort(by_code.begin(), by_code.end(), [](const OptionGroupRow& a, const OptionGroupRow& b) {
        return a.cntl_index < b.cntl_index;
    });
    for (const OptionGroupRow& row : by_code) {
        const std::int16_t code = settings.cntl_option[row.cntl_index];
        if (code != row.codes[static_cast<std::size_t>(row.default_button)]) {
            select_option_by_code(form, row.group, code);
        }
    }
    form.Frame14.visible = false;
    const std::int16_t file_type = settings.cntl_option[cntl_slot::file_type];
    if (file_type > 1) form.Frame14.visible = true;
    select_type_position(form, position_of(file_type), files);
    form.Frame15.visible = false;
    if (settings.cntl_option[cntl_slot::pk_search] == pk_search_code::manual)
        form.Frame15.visible = true;
    enable_calibration_fields(form, false);
    std::string text = shown_user_text(settings.user_inf);
    form.Text8.text = std::string(default_user_text);
    if (!text.empty()) form.Text8.text = text;
}

void show_values(Form1& form, const AnalysisSettings& settings) {
    form.Text1.text = plain_number_form(settings.bkg_shape);
    form.Text2.text = plain_number_form(settings.pkf_sens);
    form.Text3[0].text = signed_number_form(settings.cal_area_from);
    form.Text3[1].text = signed_number_form(settings.cal_area_to);
    const std::array<const EnergyPoint*, 2> points = {&settings.eng_cal_low,
                                                      &settings.eng_cal_high};
    for (std::size_t index = 0; index < 2; ++index) {
        form.Text4[index].text = signed_number_form(points[index]->ch);
        form.Text5[index].text = signed_number_form(points[index]->energy);
        form.Text6[index].text = signed_number_form(points[index]->fwhm);
    }
}

void show_manual_peaks(Form1& form, const AnalysisSettings& settings) {
    // A count from a damaged file never reads past the stored channels.
    const auto count = static_cast<std::size_t>(
        std::clamp<int>(settings.manual_pk_count, 0, static_cast<int>(stored_manual_peaks)));
    form.Text7.text.clear();
    for (std::size_t i = 0; i < count; ++i) {
        form.Text7.text += peak_channel_form(settings.manual_pk_ch[i]) + "\r\n";
    }
}

}  // namespace sorvane
