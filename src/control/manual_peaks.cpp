#include "control/manual_peaks.h"

#include <cmath>
#include <limits>
#include <optional>

#include "contract/number_forms.h"
#include "contract/number_text.h"
#include "contract/option_codes.h"
#include "form/option_groups.h"
#include "platform/ui.h"

namespace sorvane {
namespace {

constexpr std::string_view peak_title = "Manual PK ch Input";
constexpr std::string_view error_title = "CH INPUT error";

// The number of peaks the user asks for: positive, -1 for giving up, or nothing
// for an answer that must be asked again.
enum class CountAnswer { count, give_up, ask_again, cancelled };

CountAnswer read_count(const std::optional<std::string>& answer, int& count) {
    if (!answer) return CountAnswer::cancelled;
    const double rounded = round_half_even(lenient_number(*answer));
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        return CountAnswer::ask_again;
    }
    count = static_cast<int>(rounded);
    if (count > 0) return CountAnswer::count;
    if (count == -1) return CountAnswer::give_up;
    return CountAnswer::ask_again;
}

std::string channel_prompt(const AnalysisSettings& settings, std::size_t k) {
    std::string prompt;
    for (std::size_t i = 0; i < k; ++i) {
        prompt += "PK" + signed_number_form(static_cast<double>(i + 1)) + " =" +
                  peak_channel_form(settings.manual_pk_ch[i]) + "\r\n";
    }
    return prompt + "\r\nInput PK ch\r\n";
}

}  // namespace

void clear_manual_peaks(Form1& form, AnalysisSettings& settings) {
    settings.manual_pk_count = 0;
    for (std::size_t i = 0; i < stored_manual_peaks; ++i) settings.manual_pk_ch[i] = 0;
    form.Text7.text.clear();
}

int input_manual_peaks(Form1& form, AnalysisSettings& settings, Ui& ui) {
    if (settings.manual_pk_count > 0 &&
        ui.message_box("PK ch is OK ?", "Manual PK search", Buttons::yes_no) == Answer::yes) {
        return 0;
    }
    clear_manual_peaks(form, settings);

    int count = 0;
    for (;;) {
        CountAnswer answer =
            read_count(ui.input_box("How many peak(s)? max=10", peak_title, ""), count);
        if (answer == CountAnswer::count) break;
        // A cancel is asked again like 0; where nobody can answer, it ends the entry.
        if (answer == CountAnswer::cancelled && !ui.answers_again()) return -1;
        if (answer == CountAnswer::give_up) {
            ui.message_box("PK ch cannot set. \r\nTry again !", error_title, Buttons::ok);
            return -1;
        }
    }
    if (count > static_cast<int>(max_manual_peaks)) count = static_cast<int>(max_manual_peaks);
    settings.manual_pk_count = static_cast<std::int16_t>(count);

    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        const double channel = lenient_number(
            ui.input_box(channel_prompt(settings, k), peak_title, "").value_or(std::string()));
        if (k > 0 && std::fabs(channel - settings.manual_pk_ch[k - 1]) > max_peak_span) {
            ui.message_box("Too wide ch span !!", error_title, Buttons::ok);
            settings.manual_pk_count = 0;
            settings.cntl_option[cntl_slot::pk_search] = pk_search_code::automatic;
            select_option(form, OptionGroup::Option1, 0);
            for (std::size_t i = 0; i < stored_manual_peaks; ++i) settings.manual_pk_ch[i] = 0;
            return -1;
        }
        settings.manual_pk_ch[k] = channel;
        form.Text7.text += peak_channel_form(channel) + "\r\n";
    }
    return 0;
}

}  // namespace sorvane
