// Draws the result view of the demo's Eu-152 result into PNG files for the
// documentation: result_screenshots OUTPUT_FOLDER
// (whole, and zoomed on the close pair at 1086 and 1112 keV), and with the nuclides
// identification found in it.
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTableWidget>
#include <cstdio>

#include "platform/real_platform.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/qt/result_plot_widget.h"
#include "ui/qt/result_view.h"
#include "ui/qt/run_summary_view.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: result_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    using namespace sorvane;
    RealFileSystem fs;
    ScriptedUi ui;
    ResultView* view = show_result(test_data_path("results/iec_eu152.res"), fs, ui);
    view->resize(1000, 720);
    QApplication::processEvents();
    int failures = 0;
    auto save = [&](const char* name) {
        QApplication::processEvents();
        const QString path = folder + QStringLiteral("/%1.png").arg(QLatin1String(name));
        if (!view->grab().save(path)) {
            std::fprintf(stderr, "%s: cannot be written\n", qPrintable(path));
            ++failures;
        }
    };
    save("result-view");
    view->plot()->view()->zoom_to({1070.0, 1130.0}, {0.5, 2000.0});
    view->table()->selectRow(6);
    view->plot()->refresh();
    save("result-view-zoomed");
    // The demo's Eu-152 analysed with identification on, its nuclide list shown.
    ResultView* nuclides = show_result(test_data_path("results/iec_eu152_nuclides.res"), fs, ui);
    nuclides->resize(1000, 760);
    nuclides->findChild<QTabWidget*>(QStringLiteral("result_tabs"))->setCurrentIndex(1);
    view = nuclides;
    save("result-view-nuclides");
    RunSummaryView* summary = show_run_summary({"iec_eu152", "old_format", "failed", "gone"},
                                               test_data_path("results/"), fs, ui);
    summary->resize(900, 220);
    QApplication::processEvents();
    const QString path = folder + QStringLiteral("/run-summary.png");
    if (!summary->grab().save(path)) ++failures;
    return failures == 0 ? 0 : 1;
}
