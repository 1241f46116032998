// Draws the window's three tabs and the "run time" box into PNG files for the documentation:
//   window_screenshots OUTPUT_FOLDER
// The window runs on an in-memory machine holding a few demo spectra, so the
// pictures are the same on every machine.
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QToolTip>
#include <QTreeWidget>
#include <cstdio>

#include "support/memory_file_system.h"
#include "support/scripted_process.h"
#include "support/scripted_ui.h"
#include "ui/file_menu.h"
#include "ui/qt/main_window_view.h"
#include "ui/qt/nuclide_settings_dialog.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/run_time_dialog.h"
#include "ui/window_events.h"

namespace {

using namespace sorvane;

bool save(const QPixmap& picture, const QString& folder, const char* name) {
    const QString path = folder + QStringLiteral("/window-%1.png").arg(QLatin1String(name));
    if (picture.save(path)) return true;
    std::fprintf(stderr, "%s: cannot be written\n", qPrintable(path));
    return false;
}

// One "GO" over two "Simple data" spectra with temporary CHN files, "BKG shape"
// typed as "2,5": the status line on "Cal File(s)", the marked field on "Cal Option".
int run_pictures(MainWindowView& view, MemoryFileSystem& fs, ScriptedProcess& process,
                 Services& services, const QString& folder) {
    MainWindow& window = view.model();
    const std::string raw = "/home/user/spectra/2026-05/";
    const std::string res = "/home/user/results/";
    for (const char* name : {"ba133_a.asc", "ba133_b.asc"})
        fs.add_file(raw + name, "0, 10\r\n1, 11\r\n2, 5\r\n3, 6\r\n");
    fs.add_file("/opt/sorvane/run_Tovalu.exe", "x");
    window.settings.run_time_dir = "/opt/sorvane/";
    Combo1_Select(window, 10, fs);
    Option_Click(window, OptionGroup::Option8, 1);
    FileListBox& list = window.form.File1[0];
    for (std::size_t entry = 0; entry < list.count(); ++entry)
        list.set_selected(entry, list.entries[entry].ends_with(".asc"));
    window.form.Text1.text = "2,5";
    // The stand-in runtime: it confirms the control file and writes both results.
    process.on_pause = [&] {
        fs.write_file(window.settings.system_dir + "/sorvane.inf.read", "1");
        for (const char* base : {"ba133_a", "ba133_b"}) fs.write_file(res + base + ".res", "x");
    };
    Command1_Click(window, services);
    view.sync();

    auto* tabs = view.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(2);
    QApplication::processEvents();
    int failures = save(view.grab(), folder, "status-line") ? 0 : 1;

    tabs->setCurrentIndex(0);
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QToolTip::showText(field->mapToGlobal(QPoint(field->width() / 2, field->height())),
                       field->toolTip(), field);
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    // The tooltip is a window of its own: the picture is taken from the screen.
    const QRect area = view.frameGeometry();
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(
        0, area.x(), area.y(), area.width(), area.height());
    if (!save(screen, folder, "marked-field")) ++failures;
    return failures;
}

}  // namespace

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
    failures += run_pictures(view, fs, process, services, folder);
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
    // The nuclide settings of the "Nuclides" menu, one field typed out of range.
    NuclideSettingsDialog* nuclides = open_nuclide_settings(environment.system_dir, fs, ui, &view);
    nuclides->findChild<QCheckBox*>(QStringLiteral("identify"))->setChecked(true);
    auto* tolerance = nuclides->findChild<QLineEdit*>(QStringLiteral("nuclide_field_1"));
    tolerance->setText(QStringLiteral("150"));
    emit tolerance->textEdited(tolerance->text());
    QApplication::processEvents();
    const QString nuclides_path = folder + QStringLiteral("/window-nuclide-settings.png");
    if (!nuclides->grab().save(nuclides_path)) {
        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(nuclides_path));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
