#include "form/option_groups.h"

#include <algorithm>

#include "contract/option_codes.h"

namespace sorvane {

void Option1_Click(Form1& form, int index) {
    form.Frame15.visible = false;
    if (index == 1) form.Frame15.visible = true;
}

void Option6_Click(Form1& form, int index) {
    const bool manual = index == 1;
    for (TextBox& field : form.Text3) field.enabled = manual;
}

void Option7_Click(Form1& form, int) {
    for (std::size_t index = 0; index < 2; ++index) {
        form.Text4[index].enabled = true;
        form.Text5[index].enabled = true;
        form.Text6[index].enabled = true;
    }
}

// clang-format off
const std::array<OptionGroupRow, 8> option_groups = {{
    {OptionGroup::Option1, "PK search", cntl_slot::pk_search, access_of<&Form1::Option1>(),
     {pk_search_code::automatic, pk_search_code::manual}, 0, Option1_Click},
    {OptionGroup::Option2, "Smoothing", cntl_slot::smoothing, access_of<&Form1::Option2>(),
     {smoothing_code::five_channels, smoothing_code::seven_channels}, 0, nullptr},
    {OptionGroup::Option3, "PK shape", cntl_slot::pk_shape, access_of<&Form1::Option3>(),
     {pk_shape_code::gauss_exp, pk_shape_code::gauss}, 0, nullptr},
    {OptionGroup::Option6, "Cal area", cntl_slot::cal_area, access_of<&Form1::Option6>(),
     {cal_area_code::all_channels, cal_area_code::manual}, 0, Option6_Click},
    {OptionGroup::Option7, "Energy Calib.", cntl_slot::energy_calib, access_of<&Form1::Option7>(),
     {energy_calib_code::automatic, energy_calib_code::manual}, 0, Option7_Click},
    {OptionGroup::Option4, "Fitted data plot", cntl_slot::plot, access_of<&Form1::Option4>(),
     {plot_code::none, plot_code::simple}, 0, nullptr},
    {OptionGroup::Option5, "Raw Data ", cntl_slot::raw_data, access_of<&Form1::Option5>(),
     {raw_data_code::none, raw_data_code::with_area_cal, raw_data_code::no_area_cal,
      raw_data_code::csv}, 0, nullptr},
    {OptionGroup::Option8, "CHN file conversion", cntl_slot::chn_conversion,
     access_of<&Form1::Option8>(),
     {chn_conversion_code::make_chn, chn_conversion_code::temporary,
      chn_conversion_code::only_conversion}, 1, nullptr},
}};
// clang-format on

const OptionGroupRow& row_of(OptionGroup group) {
    return *std::find_if(option_groups.begin(), option_groups.end(),
                         [group](const OptionGroupRow& row) { return row.group == group; });
}

void select_option(Form1& form, OptionGroup group, int index) {
    const OptionGroupRow& row = row_of(group);
    std::span<OptionButton> buttons = row.buttons.change(form);
    if (index < 0 || static_cast<std::size_t>(index) >= buttons.size()) return;
    for (std::size_t at = 0; at < buttons.size(); ++at) {
        buttons[at].selected = at == static_cast<std::size_t>(index);
    }
    if (row.click != nullptr) row.click(form, index);
}

int selected_option(const Form1& form, OptionGroup group) {
    std::span<const OptionButton> buttons = row_of(group).buttons.read(form);
    for (std::size_t at = 0; at < buttons.size(); ++at) {
        if (buttons[at].selected) return static_cast<int>(at);
    }
    return -1;
}

std::int16_t selected_code(const Form1& form, OptionGroup group) {
    const OptionGroupRow& row = row_of(group);
    int index = selected_option(form, group);
    return row.codes[static_cast<std::size_t>(index < 0 ? 0 : index)];
}

bool select_option_by_code(Form1& form, OptionGroup group, std::int16_t code) {
    const OptionGroupRow& row = row_of(group);
    const std::size_t count = row.buttons.change(form).size();
    for (std::size_t at = 0; at < count; ++at) {
        if (row.codes[at] == code) {
            select_option(form, group, static_cast<int>(at));
            return true;
        }
    }
    return false;
}

}  // namespace sorvane
