#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

enum class Buttons { ok, ok_cancel, yes_no };
enum class Answer { ok, cancel, yes, no };
enum class Pointer { normal, hourglass };

// Everything that needs a person: message boxes, input boxes, file dialogs, the
// mouse pointer and the progress of a long wait. The window passes the Qt one,
// tests a scripted one, the command line a console one.
class Ui {
public:
    virtual ~Ui() = default;

    virtual Answer message_box(std::string_view text, std::string_view title, Buttons buttons) = 0;
    // The typed text, or nothing when cancelled.
    virtual std::optional<std::string> input_box(std::string_view prompt, std::string_view title,
                                                 std::string_view initial) = 0;
    // A chosen path, or nothing when cancelled. `filter` is "caption|*.ext".
    virtual std::optional<std::string> open_file_dialog(std::string_view filter,
                                                        std::string_view initial_folder) = 0;
    // The save dialog's `initial_folder` may end in a file name, offered as the default.
    virtual std::optional<std::string> save_file_dialog(std::string_view filter,
                                                        std::string_view initial_folder) = 0;
    // The "run time" input box; the window's has a "Browse..." button that picks
    // the runtime program in `runtime_folder` and answers with its folder.
    virtual std::optional<std::string> run_time_box(std::string_view prompt, std::string_view title,
                                                    std::string_view runtime_folder) {
        (void)runtime_folder;
        return input_box(prompt, title, "");
    }
    virtual void set_pointer(Pointer pointer) = 0;
    // Shows or updates the progress of a long task; false once the user cancelled.
    virtual bool show_progress(std::string_view text, int done, int total) = 0;
    virtual void end_progress() = 0;
    // Whether someone is there to answer a question asked again; a run without a
    // person (the command line, fuzz targets) takes a cancelled answer as final.
    virtual bool answers_again() const { return false; }
};

// The caption of every message box that has no title of its own.
inline constexpr std::string_view application_title = "Sorvane2006";

}  // namespace sorvane
