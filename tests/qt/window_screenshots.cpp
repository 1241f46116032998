// Draws the window's three tabs and the "run time" box into PNG files for the documentation:
//   window_screenshots OUTPUT_FOLDER
// The window runs on an in-memory machine holding a few demo spectra, so the
// pictures are the same on every machine.
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>

#include "platform/memory_file_system.h"
#include "platform/scripted_process.h"
#include "support/scripted_ui.h"
#include "ui/file_menu.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/run_time_dialog.h"
#include "ui/window_events.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);

    using namespace sorvane;
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_hidden_folder("/home/user/.config");
    fs.add_folder("/home/user/.config/sorvane");
    for (const char* name : {"iec_eu152.iec", "rms_cs137_co60.rms", "sample_01.chn",
                             "sample_02.chn", "sample_03.chn", "background.chn"}) {
        fs.add_file(std::string("/home/user/spectra/2026-05/") + name, "x");
    }
    fs.add_folder("/home/user/spectra/2026-04");
    fs.add_folder("/home/user/results");
    fs.add_folder("/opt/sorvane");
    ScriptedUi ui;
    ScriptedProcess process;
    Services services{fs, process, ui};
    MainWindow window;
    StartupEnvironment environment;
    environment.system_dir = "/home/user/.config/sorvane";

    MainWindowView view(window, services, environment);
    view.resize(900, 640);
    view.start();
    File1_OLEDragDrop(window, 0,
                      std::vector<std::string>{"/home/user/spectra/2026-05/sample_01.chn",
                                               "/home/user/spectra/2026-05/sample_02.chn"},
                      fs);
    File1_OLEDragDrop(window, 1, std::vector<std::string>{"/home/user/results/"}, fs);
    view.sync();

    auto* tabs = view.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    const char* names[] = {"cal-option", "io-option", "cal-files"};
    int failures = 0;
    for (int tab = 0; tab < 3; ++tab) {
        tabs->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString path =
            folder + QStringLiteral("/window-%1.png").arg(QLatin1String(names[tab]));
        if (!view.grab().save(path)) {
            std::fprintf(stderr, "%s: cannot be written\n", qPrintable(path));
            ++failures;
        }
    }
    // The "run time" box of the File menu, with its "Browse..." button.
    RunTimeDialog run_time(&view, lines_to_qt(run_time_prompt), to_qt(run_time_title),
                           QStringLiteral("/opt/sorvane/bin/"));
    run_time.show();
    QApplication::processEvents();
    const QString dialog_path = folder + QStringLiteral("/window-run-time-dialog.png");
    if (!run_time.grab().save(dialog_path)) {
        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(dialog_path));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
