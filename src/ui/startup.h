#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/main_window.h"
#include "ui/window_title.h"

namespace sorvane {

class FileSystem;

// What start-up takes from the machine besides the file system.
struct StartupEnvironment {
    std::string system_dir;  // the folder that holds the run file
    // The runtime shipped with the program, taken when the run file names none.
    std::string bundled_runtime_dir;
    Version version = program_version();
    // The runtime file's change time as the title shows it (local short date and time).
    std::function<std::string(std::int64_t)> date_text;
};

// Twips per pixel of the stored window positions.
inline constexpr int twips_per_pixel = 15;

// The local short date and time of a time stamp, for the title.
std::string local_date_text(std::int64_t seconds);

// Start-up of the window: title, run file, restored or default settings, type
// list, both trees opened at the stored folders, then shown with the focus on the
// raw folder tree. A step that fails is left behind and start-up goes on; a
// stored folder that cannot be opened is replaced by the root of the drive that
// holds `system_dir`.
void Form_Load(MainWindow& window, const FileSystem& files, const StartupEnvironment& environment);

// After start-up: puts back the earlier results that a run cut short by a crash of
// the window had set aside, logs each in the run log of their folder and says so in
// the status line.
void restore_set_aside_results(MainWindow& window, FileSystem& files);

// The drive root a path lies on ("C:\" for "C:\Users\x", "/" on POSIX); the first
// drive when none matches.
std::string drive_root_of(std::string_view path, const FileSystem& files);

}  // namespace sorvane
