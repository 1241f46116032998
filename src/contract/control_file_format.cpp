#include "contract/control_file_format.h"

#include "contract/number_forms.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

using Occurrence = ControlFileSection::Occurrence;

constexpr std::string_view user_text_end_tag = "[user inf/]";

void line(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::string fixed_point(const EnergyPoint& point) {
    return zero_padded(point.ch, 5, 2) + " " + zero_padded(point.energy, 5, 2) + " " +
           zero_padded(point.fwhm, 2, 2) + " ";
}

// Sections whose value is the next whole line.
template <std::string AnalysisSettings::*Field>
void write_text_line(const ControlFileContent& content, std::string& out) {
    line(out, content.settings.*Field);
}

template <std::string AnalysisSettings::*Field>
void read_text_line(ListInput& in, AnalysisSettings& settings) {
    if (auto text = in.read_line()) settings.*Field = *text;
}

// Sections of one number in list-print form.
template <double AnalysisSettings::*Field>
void write_list_number(const ControlFileContent& content, std::string& out) {
    line(out, list_print_form(content.settings.*Field));
}

template <double AnalysisSettings::*Field>
void read_list_number(ListInput& in, AnalysisSettings& settings) {
    if (auto value = in.read_number()) settings.*Field = *value;
}

void read_into(ListInput& in, double& target) {
    if (auto value = in.read_number()) target = *value;
}

void write_cntl_option(const ControlFileContent& content, std::string& out) {
    std::string text;
    for (std::size_t i = 0; i < stored_cntl_options; ++i)
        text += two_digit_code(content.settings.cntl_option[i]);
    line(out, text);
}

void read_cntl_option(ListInput& in, AnalysisSettings& settings) {
    for (std::size_t i = 0; i < stored_cntl_options; ++i) {
        if (auto value = in.read_int16()) settings.cntl_option[i] = *value;
    }
}

void write_cal_area(const ControlFileContent& content, std::string& out) {
    line(out, zero_padded(content.settings.cal_area_from, 5, 0) + " " +
                  zero_padded(content.settings.cal_area_to, 5, 0) + " ");
}

void read_cal_area(ListInput& in, AnalysisSettings& settings) {
    read_into(in, settings.cal_area_from);
    read_into(in, settings.cal_area_to);
}

void write_eng_cal(const ControlFileContent& content, std::string& out) {
    line(out, fixed_point(content.settings.eng_cal_low));
    line(out, fixed_point(content.settings.eng_cal_high));
}

void read_eng_cal(ListInput& in, AnalysisSettings& settings) {
    for (EnergyPoint* point : {&settings.eng_cal_low, &settings.eng_cal_high}) {
        read_into(in, point->ch);
        read_into(in, point->energy);
        read_into(in, point->fwhm);
    }
}

void write_manual_cal(const ControlFileContent& content, std::string& out) {
    line(out, std::to_string(content.settings.manual_pk_count));
    line(out, "");
    for (std::size_t i = 0; i < stored_manual_peaks; ++i) {
        line(out, zero_padded(content.settings.manual_pk_ch[i], 5, 2) + " ");
    }
}

void read_manual_cal(ListInput& in, AnalysisSettings& settings) {
    if (auto count = in.read_int16()) settings.manual_pk_count = *count;
    in.read_line();  // the empty line under the count
    for (std::size_t i = 0; i < stored_manual_peaks; ++i) read_into(in, settings.manual_pk_ch[i]);
}

void write_user_inf(const ControlFileContent& content, std::string& out) {
    line(out, cut_user_text(content.settings.user_inf));
    line(out, user_text_end_tag);
}

void read_user_inf(ListInput& in, AnalysisSettings& settings) {
    while (!in.at_end()) {
        std::optional<std::string> field = in.read_text();
        if (!field || *field == user_text_end_tag) return;
        settings.user_inf += *field + "\r\n";
    }
}

void clear_user_inf(AnalysisSettings& settings) {
    settings.user_inf.clear();
}

void write_form_pos(const ControlFileContent& content, std::string& out) {
    for (const FormPosition& pos : content.settings.form_pos) {
        line(out, std::to_string(pos.top) + "," + std::to_string(pos.left) + "," +
                      std::to_string(pos.height) + "," + std::to_string(pos.width));
    }
}

void read_form_pos(ListInput& in, AnalysisSettings& settings) {
    for (FormPosition& pos : settings.form_pos) {
        for (std::int32_t* part : {&pos.top, &pos.left, &pos.height, &pos.width}) {
            if (auto value = in.read_int32()) *part = *value;
        }
    }
}

void write_file_names(const ControlFileContent& content, std::string& out) {
    for (const std::string& name : content.base_names) line(out, name);
}

}  // namespace

const std::array<ControlFileSection, 13> control_file_layout = {{
    {"[system dir]", write_text_line<&AnalysisSettings::system_dir>,
     read_text_line<&AnalysisSettings::system_dir>, Occurrence::last_wins, nullptr},
    {"[chn dir]", write_text_line<&AnalysisSettings::chn_dir>,
     read_text_line<&AnalysisSettings::chn_dir>, Occurrence::last_wins, nullptr},
    {"[res dir]", write_text_line<&AnalysisSettings::res_dir>,
     read_text_line<&AnalysisSettings::res_dir>, Occurrence::last_wins, nullptr},
    {"[run time dir]", write_text_line<&AnalysisSettings::run_time_dir>,
     read_text_line<&AnalysisSettings::run_time_dir>, Occurrence::last_wins, nullptr},
    {"[CNTL option]", write_cntl_option, read_cntl_option, Occurrence::last_wins, nullptr},
    {"[BKG shape]", write_list_number<&AnalysisSettings::bkg_shape>,
     read_list_number<&AnalysisSettings::bkg_shape>, Occurrence::last_wins, nullptr},
    {"[PKF sens]", write_list_number<&AnalysisSettings::pkf_sens>,
     read_list_number<&AnalysisSettings::pkf_sens>, Occurrence::last_wins, nullptr},
    {"[Cal area]", write_cal_area, read_cal_area, Occurrence::last_wins, nullptr},
    {"[Eng cal]", write_eng_cal, read_eng_cal, Occurrence::last_wins, nullptr},
    {"[Manual cal]", write_manual_cal, read_manual_cal, Occurrence::first_only, nullptr},
    {"[/user inf]", write_user_inf, read_user_inf, Occurrence::first_only, clear_user_inf},
    {"[form pos]", write_form_pos, read_form_pos, Occurrence::first_only, nullptr},
    {"[file name]", write_file_names, nullptr, Occurrence::first_only, nullptr},
}};

std::string cut_user_text(std::string_view text, std::size_t limit) {
    return utf8_prefix(text, limit);
}

std::string render_control_file(const AnalysisSettings& settings,
                                const std::vector<std::string>& base_names) {
    const ControlFileContent content{settings, base_names};
    std::string out;
    for (const ControlFileSection& section : control_file_layout) {
        line(out, section.tag);
        section.write(content, out);
    }
    return out;
}

void parse_control_file(std::string_view bytes, AnalysisSettings& settings) {
    ListInput in(bytes);
    for (const ControlFileSection& section : control_file_layout) {
        if (section.read == nullptr) continue;
        if (section.before_search != nullptr) section.before_search(settings);
        in.rewind();
        while (std::optional<std::string> text = in.read_line()) {
            if (*text != section.tag) continue;
            section.read(in, settings);
            if (section.occurrence == Occurrence::first_only) break;
        }
    }
}

std::vector<std::string> read_file_name_section(std::string_view bytes) {
    ListInput in(bytes);
    std::vector<std::string> names;
    while (std::optional<std::string> text = in.read_line()) {
        if (*text != "[file name]") continue;
        while (std::optional<std::string> name = in.read_line()) names.push_back(*name);
        break;
    }
    return names;
}

}  // namespace sorvane
