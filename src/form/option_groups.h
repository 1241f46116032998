#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "form/form1.h"

namespace sorvane {

// The option button groups of the window, in the order "SET Default" selects them.
enum class OptionGroup { Option1, Option2, Option3, Option6, Option7, Option4, Option5, Option8 };

// Reaches a group's buttons in a form, for changing and for reading.
struct ButtonAccess {
    std::span<OptionButton> (*change)(Form1&);
    std::span<const OptionButton> (*read)(const Form1&);
};

template <auto Member>
constexpr ButtonAccess access_of() {
    return {[](Form1& form) { return std::span<OptionButton>(form.*Member); },
            [](const Form1& form) { return std::span<const OptionButton>(form.*Member); }};
}

// One group: where its code goes in `cntl_option`, the code of each button (the
// codes are not the button indices; the runtime receives the codes), the button
// that defaults select, and the reaction to a click.
struct OptionGroupRow {
    OptionGroup group;
    std::string_view frame_caption;
    std::size_t cntl_index;
    ButtonAccess buttons;
    std::array<std::int16_t, 4> codes;  // in button order; unused places are never read
    int default_button;
    void (*click)(Form1&, int);  // nullptr: the group changes nothing else
};

extern const std::array<OptionGroupRow, 8> option_groups;

const OptionGroupRow& row_of(OptionGroup group);

// Selects a button as a user click would: the others of the group are cleared and
// the group's click reaction runs.
void select_option(Form1& form, OptionGroup group, int index);

// The selected button of a group; -1 when none is.
int selected_option(const Form1& form, OptionGroup group);

// The code of the selected button, that of button 0 when none is selected.
std::int16_t selected_code(const Form1& form, OptionGroup group);

// Selects the button whose code this is; false (nothing selected) when none has it.
bool select_option_by_code(Form1& form, OptionGroup group, std::int16_t code);

// Click reactions (the interlocks).
void Option1_Click(Form1& form, int index);  // "Manual" shows the manual peak frame
void Option6_Click(Form1& form, int index);  // "All CH" disables the Cal area fields
void Option7_Click(Form1& form, int index);  // both choices keep the calibration fields usable

}  // namespace sorvane
