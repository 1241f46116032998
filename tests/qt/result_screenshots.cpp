// Draws the result view of the demo's Eu-152 result into PNG files for the
// documentation: result_screenshots OUTPUT_FOLDER
// (whole, and zoomed on the close pair at 1086 and 1112 keV), and with the nuclides
// identification found in it.
#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <cstdio>

#include "nuclides/library_files.h"
#include "platform/real_platform.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/qt/efficiency_dialog.h"
#include "ui/qt/qt_text.h"
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
    QWidget* view = show_result(test_data_path("results/iec_eu152.res"), fs, ui);
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
    auto* result = static_cast<ResultView*>(view);
    result->plot()->view()->zoom_to({1070.0, 1130.0}, {0.5, 2000.0});
    result->table()->selectRow(6);
    result->plot()->refresh();
    save("result-view-zoomed");
    // The demo's Eu-152 analysed with identification on, its nuclide list shown.
    ResultView* nuclides = show_result(test_data_path("results/iec_eu152_nuclides.res"), fs, ui);
    nuclides->resize(1280, 800);
    nuclides->findChild<QTabWidget*>(QStringLiteral("result_tabs"))->setCurrentIndex(1);
    view = nuclides;
    save("result-view-nuclides");
    // The efficiency calibration on the same result as a standard: the demo holds
    // 20000 Bq of Eu-152 on 2005-01-01 (demo/README.md), 1 % taken as its uncertainty.
    auto* efficiency = new EfficiencyDialog(
        nuclides::load_line_library(fs, NuclideSettings{}, NUCLIDE_DATA_DIR), "", fs, ui);
    efficiency->load_standard(test_data_path("results/iec_eu152_nuclides.res"));
    QTableWidget* certificates = efficiency->certificates();
    certificates->item(0, 1)->setText(QStringLiteral("20000"));
    certificates->item(0, 2)->setText(QStringLiteral("200"));
    certificates->item(0, 3)->setText(QStringLiteral("2005-01-01 00:00:00"));
    efficiency->show();
    view = efficiency;
    save("efficiency-calibration");
    RunSummaryView* activities = show_run_summary(
        {"iec_eu152_nuclides", "labo_co60_nuclides", "oxford_win_co60_cs137_nuclides"},
        test_data_path("results/"), fs, ui);
    activities->resize(1000, 420);
    view = activities;
    save("run-summary-activities");
    RunSummaryView* summary = show_run_summary({"iec_eu152", "old_format", "failed", "gone"},
                                               test_data_path("results/"), fs, ui);
    summary->resize(900, 220);
    QApplication::processEvents();
    const QString path = folder + QStringLiteral("/run-summary.png");
    if (!summary->grab().save(path)) ++failures;
    // With SORVANE_REPORT_RESULT naming a result that has its report page: that
    // page as the result view's "Export PDF..." writes it (pdftoppm draws it for
    // docs/), offered and taken under the name report-page-from-window.pdf.
    if (const QByteArray result = qgetenv("SORVANE_REPORT_RESULT"); !result.isEmpty()) {
        ResultView* page = show_result(result.toStdString(), fs, ui);
        ui.messages.clear();
        ui.file_answers.push_back(from_qt(folder) + "/report-page-from-window.pdf");
        page->findChild<QPushButton*>(QStringLiteral("export_pdf"))->click();
        for (const auto& message : ui.messages) {
            std::fprintf(stderr, "%s\n", message.text.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
