#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>

#include "platform/real_platform.h"
#include "support/pdf_pages.h"
#include "support/raw_texts.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"
#include "ui/qt/report_printing.h"
#include "ui/qt/result_plot_widget.h"
#include "ui/qt/result_view.h"
#include "ui/qt/run_summary_view.h"

namespace sorvane {

class ResultViewTest : public QObject {
    Q_OBJECT

    RealFileSystem fs;
    ScriptedUi ui;

    ResultView* open(const char* name) {
        ResultView* view = show_result(test_data_path(std::string("results/") + name), fs, ui);
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        return view;
    }
    RunSummaryView* summary_of(const std::vector<std::string>& bases) {
        RunSummaryView* view = show_run_summary(bases, test_data_path("results/"), fs, ui);
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        return view;
    }
    static QString note(ResultView& view) {
        auto* label = view.findChild<QLabel*>(QStringLiteral("note"));
        return label ? label->text() : QString();
    }

private slots:
    // The demo's Eu-152 result: eight peaks in keV, the model over each region.
    void opensTheDemoResult() {
        std::unique_ptr<ResultView> view(open("iec_eu152.res"));
        const PlotPicture& picture = view->opened().picture;
        QVERIFY(view->plot()->isVisible());
        QVERIFY(note(*view).isEmpty());
        QVERIFY(picture.energy_axis);
        QCOMPARE(picture.marks.size(), std::size_t{8});
        QCOMPARE(picture.fits.size(), std::size_t{8});
        QCOMPARE(picture.counts.size(), std::size_t{4096});
        // The calibration of the result maps channel 4095 near 1433 keV.
        QVERIFY(picture.whole.low < 1.0 && std::abs(picture.whole.high - 1433.6) < 1.0);
        QVERIFY(std::abs(picture.marks[0].x - 121.78) < 0.01);
        QCOMPARE(view->table()->rowCount(), 8);
        QCOMPARE(view->table()->item(0, 2)->text(), QStringLiteral("121.7825"));
        QCOMPARE(view->table()->item(0, 10)->text(), QStringLiteral("tail fitted"));
    }

    void zoomsAndGoesBackToTheWhole() {
        std::unique_ptr<ResultView> view(open("iec_eu152.res"));
        view->show();
        ResultPlotWidget* plot = view->plot();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        const PixelBox area = plot->plot_area();
        const QPointF middle(area.left + area.width / 2, area.top + area.height / 2);
        QWheelEvent wheel(middle, plot->mapToGlobal(middle), QPoint(), QPoint(0, 360), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot, &wheel);
        const double whole = view->opened().picture.whole.span();
        QVERIFY(std::abs(plot->view()->x().span() - whole * 0.512) < 1e-6 * whole);  // 0.8^3
        const QPoint from(static_cast<int>(area.left + 10), static_cast<int>(area.top + 10));
        const QPoint to(static_cast<int>(area.left + 60), static_cast<int>(area.bottom() - 10));
        QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, to);
        QVERIFY(plot->view()->x().span() < whole * 0.512 * 60 / area.width);
        QTest::mouseClick(view->findChild<QPushButton*>(QStringLiteral("whole")), Qt::LeftButton);
        QVERIFY(!plot->view()->zoomed());
        view->findChild<QCheckBox*>(QStringLiteral("log_counts"))->setChecked(false);
        QCOMPARE(plot->view()->y().low, 0.0);
    }

    // Sorting by area puts the weakest first; selecting a row centres the plot on it.
    void sortsAndCentresOnTheSelectedPeak() {
        std::unique_ptr<ResultView> view(open("iec_eu152.res"));
        QTableWidget* table = view->table();
        table->sortItems(4, Qt::AscendingOrder);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("6"));  // 4483 counts
        table->sortItems(4, Qt::DescendingOrder);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("1"));  // 60283 counts
        table->sortItems(10, Qt::AscendingOrder);                  // by the flags' words
        QCOMPARE(table->item(0, 10)->text(), QString());
        table->sortItems(0, Qt::AscendingOrder);
        view->plot()->view()->zoom_x(0.0, 0.1);
        table->selectRow(4);  // peak 5 at 964.0 keV
        const Range x = view->plot()->view()->x();
        QVERIFY(std::abs((x.low + x.high) / 2 - 964.0) < 0.1);
        view->copy_rows();
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\n5\t")));
    }

    void aFailedSpectrumOpensWithItsReason() {
        std::unique_ptr<ResultView> view(open("failed.res"));
        // The reason is the view's first line, and no note on versions follows it.
        QVERIFY(note(*view).startsWith(QStringLiteral(
            "The spectrum could not be analysed: cannot read /data/chn/gone.chn: file does not "
            "exist")));
        QVERIFY(!note(*view).contains(QStringLiteral("earlier version")));
        QVERIFY(view->plot()->isHidden());
        QCOMPARE(view->table()->rowCount(), 0);
    }

    void anOlderResultOpensWithItsTable() {
        std::unique_ptr<ResultView> view(open("old_format.res"));
        QCOMPARE(view->table()->rowCount(), 3);
        QCOMPARE(view->table()->item(2, 4)->text(), QStringLiteral("29820"));
        QVERIFY(note(*view).contains(QStringLiteral("counts are not in this result")));
        QVERIFY(view->plot()->isHidden());
    }

    void aMissingFileSaysSo() {
        std::unique_ptr<ResultView> view(open("no_such.res"));
        QVERIFY(note(*view).startsWith(QStringLiteral("cannot read ")));
    }

    void exportsTheTableAsCsv() {
        TempFolder folder;
        std::unique_ptr<ResultView> view(open("iec_eu152.res"));
        ui.file_answers.push_back(folder.path() + "/peaks");
        view->export_csv();
        const std::string text = read_text(folder.path() + "/peaks.csv");
        QVERIFY(text.starts_with("no,channel,energy,"));
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 9L);  // the header and 8 peaks
    }

    void summarisesARun() {
        std::unique_ptr<RunSummaryView> view(summary_of({"iec_eu152", "failed", "gone"}));
        QTableWidget* table = view->table();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("8"));
        QVERIFY(table->item(0, 3)->text().startsWith(QStringLiteral("121.8 keV 60283; ")));
        QCOMPARE(table->item(1, 4)->text(),
                 QStringLiteral("cannot read /data/chn/gone.chn: file does not exist"));
        QCOMPARE(table->item(2, 4)->text(), QStringLiteral("no result"));
    }

    // Both windows of their own close with Escape, as a reader expects.
    void escapeClosesTheResultAndSummaryWindows() {
        std::unique_ptr<ResultView> result(open("iec_eu152.res"));
        std::unique_ptr<RunSummaryView> summary(summary_of({"iec_eu152"}));
        struct Case {
            QWidget* window;
            const char* name;
        };
        for (const Case& c : {Case{result.get(), "result"}, Case{summary.get(), "summary"}}) {
            QVERIFY2(c.window->isVisible(), c.name);
            // The offscreen platform delivers no shortcut keys: the Escape shortcut
            // is looked up and fired as the key would.
            QShortcut* escape = nullptr;
            for (QShortcut* s : c.window->findChildren<QShortcut*>())
                if (s->key() == QKeySequence(Qt::Key_Escape)) escape = s;
            QVERIFY2(escape != nullptr, c.name);
            emit escape->activated();
            QVERIFY2(!c.window->isVisible(), c.name);
        }
    }

    // Identified nuclides first in their own tab, an activity outside the curve
    // marked; the peak table names each peak's nuclide.
    void showsTheNuclidesOfAResult() {
        std::unique_ptr<ResultView> view(open("nuclides_b.res"));
        auto* tabs = view->findChild<QTabWidget*>(QStringLiteral("result_tabs"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Nuclides (3)"));
        QTableWidget* list = view->nuclides();
        QCOMPARE(list->rowCount(), 5);
        QCOMPARE(list->item(0, 0)->text(), QStringLiteral("Cs-137"));
        QVERIFY(list->item(0, 0)->font().bold());
        QCOMPARE(list->item(4, 6)->text(), QStringLiteral("< 4.4 Bq/kg"));
        QCOMPARE(list->item(2, 0)->text(), QStringLiteral("K-40"));
        QVERIFY(list->item(2, 6)->background() != list->item(0, 6)->background());
        QCOMPARE(view->findChild<QTableWidget*>(QStringLiteral("unexplained_peaks"))->rowCount(),
                 1);
        QVERIFY(view->findChild<QLabel*>(QStringLiteral("nuclide_notes"))
                    ->text()
                    .contains(QStringLiteral("energy recalibrated from 3 lines")));
        QCOMPARE(view->table()->horizontalHeaderItem(11)->text(), QStringLiteral("Nuclide"));
        QCOMPARE(view->table()->item(0, 11)->text(), QStringLiteral("Annihilation-511"));
        std::unique_ptr<ResultView> old(open("iec_eu152.res"));
        QVERIFY(old->nuclides() == nullptr);
    }

    void summarisesActivitiesPerNuclideAndSpectrum() {
        std::unique_ptr<RunSummaryView> view(summary_of({"nuclides_b", "iec_eu152"}));
        QCOMPARE(view->table()->item(0, 5)->text(), QStringLiteral("Co-60 Cs-137 K-40"));
        QTableWidget* activities = view->activities();
        QVERIFY(activities != nullptr);
        QCOMPARE(activities->rowCount(), 2);
        QCOMPARE(activities->horizontalHeaderItem(4)->text(), QStringLiteral("Cs-137"));
        QCOMPARE(activities->item(0, 4)->text(), QStringLiteral("120.4 +- 3.1 Bq/kg"));
        QVERIFY(activities->item(1, 4) == nullptr);
        TempFolder folder;
        ui.file_answers.push_back(folder.path() + "/activities");
        view->findChild<QPushButton*>(QStringLiteral("export_activities_csv"))->click();
        const std::string text = read_text(folder.path() + "/activities.csv");
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 6L);  // the header and 5 nuclides
    }

    // Without the report page the actions say why; with it, a PDF holding the page
    // and the plot drawn from the SVG beside it.
    void exportsTheReportPageAsPdf() {
        TempFolder folder;
        const std::string base = folder.path() + "/r";
        QVERIFY(fs.write_file(base + ".res", test_data("results/nuclides_b.res")).ok());
        std::unique_ptr<ResultView> view(show_result(base + ".res", fs, ui));
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        ui.messages.clear();
        view->findChild<QPushButton*>(QStringLiteral("export_pdf"))->click();
        QCOMPARE(ui.messages.size(), std::size_t{1});
        QVERIFY(ui.messages[0].text.find(base + ".html") != std::string::npos);

        QVERIFY(
            fs.write_file(base + ".html", "<html><body><h1>r</h1><img src=\"r.svg\"></body></html>")
                .ok());
        QVERIFY(
            fs.write_file(base + ".svg",
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" "
                          "height=\"100\"><rect width=\"200\" height=\"100\" fill=\"red\"/></svg>")
                .ok());
        const ReportPage page = find_report_page(fs, base + ".res");
        QCOMPARE(page.svg_path, base + ".svg");
        const QVariant plot = report_document(page)->resource(QTextDocument::ImageResource,
                                                              QUrl(QStringLiteral("r.svg")));
        QVERIFY(!plot.value<QImage>().isNull());
        // The page as the runtime writes it: the plot inline, its labels no loose text.
        QVERIFY(fs.write_file(base + ".html",
                              "<html><body><h1>r</h1><svg xmlns=\"http://www.w3.org/2000/svg\" "
                              "width=\"200\" height=\"100\"><text x=\"9\" y=\"9\">Counts</text>"
                              "</svg></body></html>")
                    .ok());
        const auto inline_page = report_document(find_report_page(fs, base + ".res"));
        QVERIFY(!inline_page->toPlainText().contains(QStringLiteral("Counts")));
        QVERIFY(!inline_page
                     ->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("report-plot-1")))
                     .value<QImage>()
                     .isNull());
        // The page the runtime wrote for the demo: its table as text, its plot a picture.
        const auto demo =
            report_document(find_report_page(fs, test_data_path("results/iec_eu152_nuclides.res")));
        QVERIFY(demo->toPlainText().contains(QStringLiteral("Eu-152")));
        QVERIFY(!demo->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("report-plot-1")))
                     .value<QImage>()
                     .isNull());
        ui.file_answers.push_back(base + "-report");
        ui.prompts.clear();
        view->findChild<QPushButton*>(QStringLiteral("export_pdf"))->click();
        QCOMPARE(ui.messages.size(), std::size_t{1});
        // The dialog offers the result's own name.
        QCOMPARE(ui.prompts.back(), "save PDF file (*.pdf)|*.pdf in " + base + ".pdf");
        std::string pdf;
        QVERIFY(fs.read_file(base + "-report.pdf", pdf).ok());
        QVERIFY(pdf.starts_with("%PDF"));
    }

    // The window's export of the demo's page, looked at as a person does: the plot
    // drawn (the fit's red over the peaks), no cell's text run into its neighbour.
    void exportedDemoPageShowsThePlotAndSeparateCells() {
        if (!pdf_tools_present()) QSKIP("poppler-utils not installed");
        TempFolder folder;
        const std::string base = folder.path() + "iec_eu152_nuclides";
        for (const std::string extension : {".res", ".html"})
            QVERIFY(
                fs.write_file(base + extension, test_data("results/iec_eu152_nuclides" + extension))
                    .ok());
        std::unique_ptr<ResultView> view(show_result(base + ".res", fs, ui));
        view->setAttribute(Qt::WA_DeleteOnClose, false);
        ui.messages.clear();
        ui.file_answers.push_back(base + ".pdf");
        view->findChild<QPushButton*>(QStringLiteral("export_pdf"))->click();
        QVERIFY(ui.messages.empty());
        const std::vector<PageImage> pages = pdf_pages(base + ".pdf", 100);
        QVERIFY(!pages.empty());
        int plot_page = -1;
        for (std::size_t p = 0; p < pages.size(); ++p)
            if (plot_page < 0 && fit_colour_places(pages[p]) >= 6) plot_page = static_cast<int>(p);
        QVERIFY2(plot_page >= 0, "no page shows the fitted curve");
        const std::vector<PdfWord> words = pdf_words(base + ".pdf");
        const std::vector<std::string> overlaps = overlapping_words(words);
        QVERIFY2(overlaps.empty(), overlaps.empty() ? "" : overlaps.front().c_str());
        QVERIFY(std::any_of(words.begin(), words.end(),
                            [](const PdfWord& w) { return w.text == "Co-57"; }));
        // The plot's heading starts the plot's page, not the foot of the one before.
        const auto heading = std::find_if(words.rbegin(), words.rend(),
                                          [](const PdfWord& w) { return w.text == "Spectrum"; });
        QVERIFY(heading != words.rend());
        QCOMPARE(heading->page, plot_page);
    }
};

}  // namespace sorvane

QTEST_MAIN(sorvane::ResultViewTest)
#include "result_view_test.moc"
