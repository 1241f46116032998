#include <gtest/gtest.h>

#include <random>

#include "contract/control_file_format.h"
#include "control/collect_settings.h"
#include "control/control_file.h"
#include "control/settings_view.h"
#include "form/directory_field.h"
#include "form/type_selector.h"
#include "import/raw_file_types.h"
#include "support/memory_file_system.h"
#include "support/scripted_ui.h"

namespace sorvane {
namespace {

// Random settings inside the ranges a collect allows and in the precision the
// file keeps, so that nothing is lost on the way.
class SettingsMaker {
public:
    explicit SettingsMaker(unsigned seed) : random_(seed) {}

    AnalysisSettings make() {
        AnalysisSettings s;
        s.system_dir = "C:\\WINDOWS";
        s.chn_dir = pick<std::string>({"C:\\data\\", "D:\\raw spectra\\", "E:\\"});
        s.res_dir = pick<std::string>({"C:\\res\\", "C:\\", "D:\\out\\"});
        s.run_time_dir = "C:\\rt\\";
        const bool manual_peaks = coin();
        const bool manual_area = coin();
        s.cntl_option = {static_cast<std::int16_t>(manual_peaks),
                         pick<std::int16_t>({0, 1}),
                         pick<std::int16_t>({0, 2}),
                         pick<std::int16_t>({0, 1}),
                         pick<std::int16_t>({1, 0, 2, 4}),
                         pick<std::int16_t>({1, 0}),
                         static_cast<std::int16_t>(manual_area ? 0 : 1),
                         pick<std::int16_t>({1, 0, 2}),
                         type_code_of(between(0, 11)),
                         static_cast<std::int16_t>(between(0, 99))};
        s.bkg_shape = between(10, 1000) / 100.0;
        s.pkf_sens = between(300, 800) / 100.0;
        if (manual_area) {
            s.cal_area_from = between(0, 4000);
            s.cal_area_to = s.cal_area_from + between(1, 4000);
        }
        // Hundredths are drawn as whole numbers, so every value is the one its text reads as.
        const int ch = between(0, 400000), energy = between(0, 300000), fwhm = between(0, 500);
        s.eng_cal_low = {ch / 100.0, energy / 100.0, fwhm / 100.0};
        s.eng_cal_high = {(ch + between(1, 400000)) / 100.0, (energy + between(1, 300000)) / 100.0,
                          (fwhm + between(1, 4000)) / 100.0};
        if (manual_peaks) {
            s.manual_pk_count = static_cast<std::int16_t>(between(1, 10));
            int channel = between(0, 800000);
            for (int i = 0; i < s.manual_pk_count; ++i) {
                s.manual_pk_ch[static_cast<std::size_t>(i)] = channel / 100.0;
                channel += between(0, 2500);
            }
        }
        s.user_inf = user_text();
        for (FormPosition& pos : s.form_pos) {
            pos = {between(-100000, 100000), between(-100000, 100000), between(0, 20000),
                   between(0, 20000)};
        }
        return s;
    }

private:
    bool coin() { return between(0, 1) == 1; }
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    template <typename T>
    T pick(std::initializer_list<T> choices) {
        return *(choices.begin() + between(0, static_cast<int>(choices.size()) - 1));
    }
    // Words on one or more lines, as a person types them: no commas, no blanks
    // at the start of a line, at most 128 characters.
    std::string user_text() {
        static const char* words[] = {"sample", "Cs-137", "run", "42", "détecteur", "HPGe", "x"};
        std::string text = words[between(0, 6)];
        const int more = between(0, 12);
        for (int i = 0; i < more; ++i) {
            std::string word = words[between(0, 6)];
            std::string joint = between(0, 4) == 0 ? "\r\n" : " ";
            if (text.size() + joint.size() + word.size() > user_text_limit) break;
            text += joint + word;
        }
        return text;
    }

    std::mt19937 random_;
};

// Names the fields that differ, for a readable failure.
std::string differences(const AnalysisSettings& a, const AnalysisSettings& b) {
    std::string out;
    auto note = [&](bool same, const char* name) {
        if (!same) out += std::string(name) + " ";
    };
    note(a.system_dir == b.system_dir, "system_dir");
    note(a.chn_dir == b.chn_dir, "chn_dir");
    note(a.res_dir == b.res_dir, "res_dir");
    note(a.run_time_dir == b.run_time_dir, "run_time_dir");
    note(a.cntl_option == b.cntl_option, "cntl_option");
    note(a.bkg_shape == b.bkg_shape, "bkg_shape");
    note(a.pkf_sens == b.pkf_sens, "pkf_sens");
    note(a.cal_area_from == b.cal_area_from && a.cal_area_to == b.cal_area_to, "cal_area");
    note(a.eng_cal_low == b.eng_cal_low && a.eng_cal_high == b.eng_cal_high, "eng_cal");
    note(a.manual_pk_count == b.manual_pk_count && a.manual_pk_ch == b.manual_pk_ch, "manual_pk");
    note(a.user_inf == b.user_inf, ("user_inf [" + a.user_inf + "] [" + b.user_inf + "]").c_str());
    note(a.form_pos == b.form_pos, "form_pos");
    return out;
}

TEST(RoundTrip, WrittenSettingsComeBackThroughTheWindow) {
    SettingsMaker maker(20240611u);
    for (int round = 0; round < 300; ++round) {
        MemoryFileSystem files;
        files.add_folder("C:\\WINDOWS");
        files.add_file("C:\\rt\\run_tovalu.exe", "MZ");
        const AnalysisSettings original = maker.make();
        const std::string path = "C:\\WINDOWS\\sorvane.inf";
        ScriptedUi ui;
        Form1 writer;
        ASSERT_TRUE(write_control_file(writer, original, path, files, ui));

        // A new window reads the file back as start-up does.
        Form1 form;
        AnalysisSettings record;
        record.system_dir = "C:\\WINDOWS";
        fill_type_list(form, files);
        ASSERT_EQ(read_control_file(form, record, path, files), -1);
        apply_settings(form, record, files);
        show_folder_in_field(form.Text9[0], record.chn_dir);
        show_folder_in_field(form.Text9[1], record.res_dir);
        ui.answers.push_back(Answer::yes);  // "PK ch is OK ?" keeps the saved list
        ASSERT_EQ(collect_settings(form, record, files, ui, false), 0) << round;
        ASSERT_TRUE(record == original)
            << "round " << round << ": " << differences(record, original);

        ASSERT_TRUE(write_control_file(form, record, path + "2", files, ui));
        EXPECT_EQ(files.contents(path + "2"), files.contents(path)) << round;
    }
}

}  // namespace
}  // namespace sorvane
