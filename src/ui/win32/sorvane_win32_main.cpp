#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bundled_runtime.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "ui/win32/result_document.h"
#include "ui/win32/win32_main_window.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_ui.h"
#include "ui/window_arguments.h"

namespace {

std::vector<std::string> program_arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int at = 1; at < count; ++at) arguments.push_back(sorvane::from_wide(words[at]));
    LocalFree(words);
    return arguments;
}

}  // namespace

// The window's state comes from the run file in %APPDATA%\Sorvane. One argument, a
// result file, opens its report page (or plot, or text) in the shell and ends.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const sorvane::WindowArguments arguments = sorvane::parse_window_arguments(program_arguments());
    sorvane::RealFileSystem files;
    sorvane::Win32Ui ui;
    switch (arguments.mode) {
        case sorvane::WindowArguments::Mode::wrong:
            ui.message_box(arguments.problem + "\r\n" + sorvane::window_usage,
                           sorvane::application_title, sorvane::Buttons::ok);
            return 2;
        case sorvane::WindowArguments::Mode::report_pdf:
            ui.message_box("The printed report is made by the Linux window for now.",
                           sorvane::application_title, sorvane::Buttons::ok);
            return 2;
        case sorvane::WindowArguments::Mode::open_result: {
            const std::string document = sorvane::result_document_of(arguments.result_path, files);
            const auto opened = reinterpret_cast<INT_PTR>(
                ShellExecuteW(nullptr, L"open", sorvane::to_wide(document).c_str(), nullptr,
                              nullptr, SW_SHOWNORMAL));
            return opened > 32 ? 0 : 1;
        }
        case sorvane::WindowArguments::Mode::main_window:
            break;
    }

    sorvane::RealProcess process;
    sorvane::Services services{files, process, ui};
    sorvane::MainWindow window;
    sorvane::StartupEnvironment environment;
    environment.system_dir = sorvane::default_system_dir();
    environment.bundled_runtime_dir =
        sorvane::bundled_runtime_dir(files, {sorvane::executable_folder(), SORVANE_RUNTIME_DIR});

    sorvane::Win32MainWindow view(window, services, environment, &ui);
    ui.set_parent(view.handle());
    view.start();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(view.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
