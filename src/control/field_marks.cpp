#include "control/field_marks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "contract/number_forms.h"
#include "platform/text_helpers.h"

namespace sorvane {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The number a person reads: optional sign, digits with one "." or "," as the
// decimal mark, an optional exponent, blanks around it; nothing for other texts.
std::optional<double> typed_number(std::string_view text) {
    text = trimmed(text, " \t");
    if (text.empty()) return std::nullopt;
    std::string number;
    std::size_t at = 0;
    if (text[at] == '+' || text[at] == '-') {
        if (text[at] == '-') number += '-';
        ++at;
    }
    std::size_t digits = 0;
    bool mark_seen = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (is_digit(c)) {
            ++digits;
            number += c;
        } else if ((c == '.' || c == ',') && !mark_seen) {
            mark_seen = true;
            number += '.';
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        number += 'e';
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) number += text[at++];
        const std::size_t exponent_start = at;
        while (at < text.size() && is_digit(text[at])) number += text[at++];
        if (at == exponent_start) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return value;
}

// Equal up to the last bits two decimal parses may differ in.
bool same_number(double a, double b) {
    return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

void mark(TextBox& box, double used) {
    box.used_as = used_as_note(box.text, used);
    box.used_as_text = box.text;
}

void unmark(TextBox& box) {
    box.used_as.clear();
    box.used_as_text = box.text;
}

}  // namespace

std::string used_as_note(std::string_view text, double used) {
    const std::optional<double> typed = typed_number(text);
    if (typed && same_number(*typed, used)) return {};
    return "used as " + plain_number_form(used);
}

void mark_numeric_fields(Form1& form, const AnalysisSettings& settings, bool cal_area_read) {
    mark(form.Text1, settings.bkg_shape);
    mark(form.Text2, settings.pkf_sens);
    if (cal_area_read) {
        mark(form.Text3[0], settings.cal_area_from);
        mark(form.Text3[1], settings.cal_area_to);
    } else {
        unmark(form.Text3[0]);
        unmark(form.Text3[1]);
    }
    const EnergyPoint* points[] = {&settings.eng_cal_low, &settings.eng_cal_high};
    for (std::size_t index = 0; index < 2; ++index) {
        mark(form.Text4[index], points[index]->ch);
        mark(form.Text5[index], points[index]->energy);
        mark(form.Text6[index], points[index]->fwhm);
    }
}

}  // namespace sorvane
