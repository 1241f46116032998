#include "form/type_selector.h"

#include <algorithm>

#include "import/raw_file_types.h"

namespace sorvane {
namespace {

bool has_selection(const ComboBox& combo) {
    return combo.selection >= 0 && static_cast<std::size_t>(combo.selection) < combo.entries.size();
}

const std::string& selected_caption(const ComboBox& combo) {
    return combo.entries[static_cast<std::size_t>(combo.selection)];
}

}  // namespace

void fill_type_list(Form1& form, const FileSystem& files) {
    form.Combo1.entries.clear();
    form.Combo1.selection = -1;
    for (const RawFileType& type : raw_file_types) form.Combo1.entries.emplace_back(type.caption);
    select_type_position(form, 0, files);
    set_file_list_pattern(form.File1[0], "*.chn", files);
    set_file_list_pattern(form.File1[1], "*.*", files);
}

void Combo1_Click(Form1& form, const FileSystem& files) {
    if (!has_selection(form.Combo1)) return;
    const std::string& caption = selected_caption(form.Combo1);
    set_file_list_pattern(form.File1[0], pattern_of(caption), files);
    form.Frame11.caption = caption;
    form.Frame14.visible = form.Combo1.selection != 0;
}

void Combo1_Change(Form1& form, const FileSystem& files) {
    if (!has_selection(form.Combo1)) return;
    set_file_list_pattern(form.File1[0], pattern_of(selected_caption(form.Combo1)), files);
}

void select_type_position(Form1& form, int position, const FileSystem& files) {
    form.Combo1.selection = position;
    if (has_selection(form.Combo1)) form.Combo1.text = selected_caption(form.Combo1);
    Combo1_Click(form, files);
}

void edit_type_text(Form1& form, std::string text, const FileSystem& files) {
    const auto& entries = form.Combo1.entries;
    auto found = std::find(entries.begin(), entries.end(), text);
    form.Combo1.selection = found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    form.Combo1.text = std::move(text);
    Combo1_Change(form, files);
}

std::int16_t selected_type_code(const Form1& form) {
    return type_code_of(form.Combo1.selection);
}

}  // namespace sorvane
