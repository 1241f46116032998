#include <QApplication>
#include <QDateTime>
#include <QLocale>

#include "platform/bundled_runtime.h"
#include "platform/real_platform.h"
#include "platform/system_folder.h"
#include "platform/ui.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/result_view.h"

// The window's state comes from the run file in the per-user folder. One argument,
// a result file, opens only the view of that result (as the desktop does for a
// double-clicked .res file).
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(sorvane::to_qt(sorvane::application_title));

    sorvane::RealFileSystem files;
    sorvane::RealProcess process;
    sorvane::QtUi ui;
    if (argc > 1) {
        const QString path = QString::fromLocal8Bit(argv[1]);
        sorvane::ResultView* view = sorvane::show_result(sorvane::from_qt(path), files, ui);
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
