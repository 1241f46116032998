#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bundled_runtime.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "platform/ui.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/report_printing.h"
#include "ui/qt/result_view.h"
#include "ui/window_arguments.h"

namespace {

// The printed page of a result without a window: the same code as the result
// view's "Export PDF...", on a platform that needs no screen.
int write_report_pdf_only(int argc, char* argv[], const sorvane::WindowArguments& arguments) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sorvane::RealFileSystem files;
    const std::string problem =
        sorvane::report_pdf_of_result(files, arguments.result_path, arguments.pdf_path);
    if (!problem.empty()) {
        std::fprintf(stderr, "sorvane: %s\n", problem.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

// The window's state comes from the run file in the per-user folder. One argument,
// a result file, opens only the view of that result (as the desktop does for a
// double-clicked .res file).
int main(int argc, char* argv[]) {
    const sorvane::WindowArguments arguments =
        sorvane::parse_window_arguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.mode == sorvane::WindowArguments::Mode::wrong) {
        std::fprintf(stderr, "sorvane: %s\n%s\n", arguments.problem.c_str(), sorvane::window_usage);
        return 2;
    }
    if (arguments.mode == sorvane::WindowArguments::Mode::report_pdf)
        return write_report_pdf_only(argc, argv, arguments);

    QApplication app(argc, argv);
    QApplication::setApplicationName(sorvane::to_qt(sorvane::application_title));

    sorvane::RealFileSystem files;
    sorvane::RealProcess process;
    sorvane::QtUi ui;
    if (arguments.mode == sorvane::WindowArguments::Mode::open_result) {
        sorvane::ResultView* view = sorvane::show_result(arguments.result_path, files, ui);
        ui.set_parent(view);
        return QApplication::exec();
    }
    sorvane::Services services{files, process, ui};
    sorvane::MainWindow window;

    sorvane::StartupEnvironment environment;
    environment.system_dir = sorvane::default_system_dir();
    environment.bundled_runtime_dir =
        sorvane::bundled_runtime_dir(files, {sorvane::executable_folder(), SORVANE_RUNTIME_DIR});
    environment.date_text = [](std::int64_t seconds) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(seconds);
        return sorvane::from_qt(QLocale().toString(when, QLocale::ShortFormat));
    };

    sorvane::MainWindowView view(window, services, environment);
    ui.set_parent(&view);
    view.start();
    return QApplication::exec();
}
