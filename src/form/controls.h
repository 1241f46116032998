#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sorvane {

// The window's controls as the program sees them: what it reads and writes of
// each one, nothing about where or how it is drawn.

struct TextBox {
    std::string text;
    bool enabled = true;
    bool visible = true;
    std::size_t max_length = 0;  // 0: no limit
    // Set when collecting did not use the text as typed ("used as 2"), for the text
    // it was decided on: an edit of the field ends the mark.
    std::string used_as{};
    std::string used_as_text{};

    std::string mark() const { return text == used_as_text ? used_as : std::string(); }
};

struct OptionButton {
    std::string caption;
    bool selected = false;
    bool enabled = true;
    bool visible = true;
};

struct Frame {
    std::string caption;
    bool visible = true;
};

struct CommandButton {
    std::string caption;
    bool enabled = true;
};

// A drop-down list whose text the user may also edit.
struct ComboBox {
    std::vector<std::string> entries;
    int selection = -1;  // -1: no entry selected
    std::string text;
};

struct MenuItem {
    int index;  // the element of the menu array
    std::string caption;
};

struct TabControl {
    std::vector<std::string> captions;
    int tab = 0;  // the page shown
};

}  // namespace sorvane
